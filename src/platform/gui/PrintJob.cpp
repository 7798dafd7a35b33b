#include "platform/gui/PrintJob.h"

#include <cups/cups.h>

#include <QPageLayout>
#include <QPageSize>
#include <algorithm>
#include <array>
#include <vector>

namespace {

const QByteArray* FindOption(const PrintOptions& options, const QByteArray& name) {
  for (const auto& [n, value] : options)
    if (n == name) return &value;
  return nullptr;
}

// The colour modes in which the printer puts down no colour.
bool Monochrome(const QByteArray& colourMode) {
  static const std::array<const char*, 4> grey = {"monochrome", "process-monochrome", "bi-level",
                                                  "process-bi-level"};
  return std::any_of(grey.begin(), grey.end(),
                     [&](const char* mode) { return colourMode == mode; });
}

}  // namespace

DefaultQueue FindDefaultQueue() {
  DefaultQueue found;
  cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
  if (!dest) return found;
  found.name = QString::fromUtf8(dest->name);
  if (dest->instance && *dest->instance)
    found.name += QLatin1Char('/') + QString::fromUtf8(dest->instance);
  for (int i = 0; i < dest->num_options; ++i)
    found.options.emplace_back(dest->options[i].name, dest->options[i].value);
  cupsFreeDests(1, dest);
  return found;
}

TQueuedPrint::TQueuedPrint(const QPrinterInfo& queue, PrintOptions saved)
    : queue_(queue.printerName()),
      saved_(std::move(saved)),
      printer_(queue, QPrinter::HighResolution) {
  // A printer made for a queue starts on A4 and stays there whenever the
  // queue offers A4, so a Letter printer would be sent an A4 page. The
  // queue's own default paper (its PPD, and the user's lpoptions) is set
  // while the printer is still the queue's, which knows that paper's
  // printable margins. Qt starts a printer at the larger of 10 pt and its
  // paper's printable margins, and a new paper keeps the old margins
  // wherever they are wide enough: every paper, A4 included, is put at its
  // own printable corner instead, as a printer's device pixels are.
  const QPageSize paper = queue.defaultPageSize();
  if (paper.isValid() && printer_.setPageSize(paper)) {
    const QPageLayout layout = printer_.pageLayout();
    printer_.setPageMargins(layout.minimumMargins(), layout.units());
  }
  // What the queue's printer starts with: its default paper and margins, its
  // sides. A PDF printer starts in colour and forgets the rest when the
  // format changes. Qt's printer is grey only on a printer without colour;
  // the queue's own default colour mode, or the user's, is among the saved
  // options.
  const QPageLayout page = printer_.pageLayout();
  const QByteArray* colourMode = FindOption(saved_, "print-color-mode");
  const bool greyOnly =
      colourMode ? Monochrome(*colourMode) : printer_.colorMode() == QPrinter::GrayScale;
  duplex_ = printer_.duplex();
  copies_ = printer_.copyCount();
  collate_ = printer_.collateCopies();
  if (!file_.open()) return;
  feed_ = std::make_unique<FileFeed>(file_.handle());
  file_.close();
  if (!feed_->Ok()) return;
  printer_.setOutputFormat(QPrinter::PdfFormat);
  printer_.setOutputFileName(QString::fromStdString(feed_->Path()));
  printer_.setPageLayout(page);
  if (greyOnly) printer_.setColorMode(QPrinter::GrayScale);
  ready_ = true;
}

bool TQueuedPrint::Written() { return ready_ && feed_->Finish(); }

QString TQueuedPrint::Submit() {
  // The options of Qt's CUPS engine (QCupsPrintEnginePrivate::closePrintDevice,
  // the same in Qt 6.4 and 6.8), so that an accepted job prints as it did when
  // Qt handed it over itself.
  const QPageLayout page = printer_.pageLayout();
  const bool landscape = page.orientation() == QPageLayout::Landscape;
  PrintOptions options;
  options.emplace_back("media", page.pageSize().key().toLocal8Bit());
  if (copies_ > 1) {
    options.emplace_back("copies", QByteArray::number(copies_));
    if (collate_) options.emplace_back("Collate", "True");
  }
  switch (duplex_) {
    case QPrinter::DuplexNone:
      options.emplace_back("sides", "one-sided");
      break;
    case QPrinter::DuplexAuto:
      options.emplace_back("sides", landscape ? "two-sided-short-edge" : "two-sided-long-edge");
      break;
    case QPrinter::DuplexLongSide:
      options.emplace_back("sides", "two-sided-long-edge");
      break;
    case QPrinter::DuplexShortSide:
      options.emplace_back("sides", "two-sided-short-edge");
      break;
  }
  if (landscape) options.emplace_back("landscape", "");
  // Then every option of the destination, as lp sends them. Where Qt's
  // engine has a value of its own for one (the paper or the sides the user
  // saved: the server's defaults name neither), lp's value goes.
  for (const auto& [name, value] : saved_) {
    auto same = std::find_if(options.begin(), options.end(),
                             [&](const auto& option) { return option.first == name; });
    if (same == options.end()) options.emplace_back(name, value);
    else same->second = value;
  }

  std::vector<cups_option_t> cupsOptions;
  for (auto& [name, value] : options) cupsOptions.push_back({name.data(), value.data()});

  // An instance is only a set of option defaults on the client side: CUPS
  // knows the queue by its name alone.
  const QByteArray queue = queue_.section(QLatin1Char('/'), 0, 0).toLocal8Bit();
  const int id = cupsPrintFile(queue.constData(), file_.fileName().toLocal8Bit().constData(),
                               printer_.docName().toUtf8().constData(),
                               static_cast<int>(cupsOptions.size()), cupsOptions.data());
  if (id != 0) return {};
  // The scheduler's own words, in the user's language where it has them.
  const char* reason = cupsLastErrorString();
  return QString::fromUtf8(reason && *reason ? reason : ippErrorString(cupsLastError()));
}

// The printer's messages are the platform's own, French in both builds; a
// queue's refusal comes in CUPS's words.
QString PrintOnDefaultQueue(const std::function<QString(QPrinter&)>& drawPage) {
  DefaultQueue found = FindDefaultQueue();
  const QPrinterInfo info =
      found.name.isEmpty() ? QPrinterInfo() : QPrinterInfo::printerInfo(found.name);
  if (info.isNull()) return QString::fromUtf8("Aucune imprimante par défaut n'est disponible.");
  TQueuedPrint job(info, std::move(found.options));
  if (!job.Ready()) return QString::fromUtf8("L'imprimante n'a pas pu commencer le document.");
  const QString error = drawPage(job.Printer());
  if (!error.isEmpty()) return error;
  // A document cut short (a full disk) is not queued: the printer would get
  // a broken job while the user believes the page printed.
  if (!job.Written()) return QString::fromUtf8("L'imprimante n'a pas pu terminer le document.");
  return job.Submit();
}
