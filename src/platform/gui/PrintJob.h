#pragma once
// Hands a finished PDF to a CUPS print queue. Qt's CUPS print engine does the
// same inside QPainter::end() but drops CUPS's answer, so a queue that refuses
// jobs looked like a printed page; here the answer comes back to the caller.
#include <QPageLayout>
#include <QPrinter>
#include <QString>

struct PrintJob {
  QString queue;  // the printer's name, "name" or "name/instance"
  QString title;  // the job's name in the queue
  QPageLayout page;
  QPrinter::DuplexMode duplex = QPrinter::DuplexNone;
  int copies = 1;
  bool collate = true;
};

// Queues the PDF file at path with the job options that Qt's CUPS engine
// sends for the same page. Returns CUPS's reason when the job is refused,
// empty once it is queued.
QString SubmitPrintJob(const PrintJob& job, const QString& path);
