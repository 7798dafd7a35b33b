#include "platform/gui/PrintJob.h"

#include <cups/cups.h>

#include <utility>
#include <vector>

QString SubmitPrintJob(const PrintJob& job, const QString& path) {
  // The options of Qt's CUPS engine (QCupsPrintEnginePrivate::closePrintDevice,
  // the same in Qt 6.4 and 6.8), so that an accepted job prints as it did when
  // Qt handed it over itself.
  const bool landscape = job.page.orientation() == QPageLayout::Landscape;
  std::vector<std::pair<QByteArray, QByteArray>> options;
  options.emplace_back("media", job.page.pageSize().key().toLocal8Bit());
  if (job.copies > 1) {
    options.emplace_back("copies", QByteArray::number(job.copies));
    if (job.collate) options.emplace_back("Collate", "True");
  }
  switch (job.duplex) {
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
  const QByteArray queue = job.queue.section(QLatin1Char('/'), 0, 0).toLocal8Bit();
  const int id = cupsPrintFile(queue.constData(), path.toLocal8Bit().constData(),
                               job.title.toUtf8().constData(), static_cast<int>(cupsOptions.size()),
                               cupsOptions.data());
  if (id != 0) return {};
  // The scheduler's own words, in the user's language where it has them.
  const char* reason = cupsLastErrorString();
  return QString::fromUtf8(reason && *reason ? reason : ippErrorString(cupsLastError()));
}
