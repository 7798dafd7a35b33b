#include "platform/gui/PrintJob.h"

#include <cups/cups.h>

#include <QPageLayout>
#include <QPageSize>
#include <utility>
#include <vector>

TQueuedPrint::TQueuedPrint(const QPrinterInfo& queue)
    : queue_(queue.printerName()), printer_(queue, QPrinter::HighResolution) {
  // A printer made for a queue starts on A4 and stays there whenever the
  // queue offers A4, so a Letter printer would be sent an A4 page. The
  // queue's own default paper (its PPD, and the user's lpoptions) is set
  // while the printer is still the queue's, which knows that paper's
  // printable margins. A new paper keeps the old margins wherever they are
  // wide enough, so its own are set too, as A4's were at the start.
  const QPageSize paper = queue.defaultPageSize();
  if (paper.isValid() && printer_.setPageSize(paper)) {
    const QPageLayout layout = printer_.pageLayout();
    printer_.setPageMargins(layout.minimumMargins(), layout.units());
  }
  // What the queue's printer starts with: its default paper and margins, its
  // colour mode, its sides. A PDF printer starts in colour and forgets the
  // rest when the format changes.
  const QPageLayout page = printer_.pageLayout();
  const bool greyOnly = printer_.colorMode() == QPrinter::GrayScale;
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
  std::vector<std::pair<QByteArray, QByteArray>> options;
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
