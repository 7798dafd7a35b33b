#pragma once
// A print job for a CUPS queue whose answer comes back. Qt's CUPS print engine
// hands the page to the queue inside QPainter::end() and drops CUPS's answer,
// so a queue that refuses jobs looked like a printed page. Here the page goes
// into a private PDF laid out as the queue's own printer would lay it out, and
// Submit hands that file to the queue with the options Qt's engine sends. Qt's
// PDF engine drops its write errors too, so it writes into a feed whose writes
// into the file are checked: a document cut short is never queued.
#include <QPrinter>
#include <QPrinterInfo>
#include <QString>
#include <QTemporaryFile>
#include <memory>

#include "platform/FileFeed.h"

class TQueuedPrint {
 public:
  explicit TQueuedPrint(const QPrinterInfo& queue);
  // False when no private file could be had for the page.
  bool Ready() const { return ready_; }
  // The printer to draw the page on.
  QPrinter& Printer() { return printer_; }
  // Once the page has been drawn and its painter ended: whether the whole
  // document reached the file, every write and the close.
  bool Written();
  // Queues the page drawn; only once Written has said yes. Returns CUPS's
  // reason when the queue refuses the job, empty once it is queued.
  QString Submit();

 private:
  QString queue_;  // "name" or "name/instance"
  QTemporaryFile file_;  // private to the user, removed on every way out
  std::unique_ptr<FileFeed> feed_;
  // Goes first: whatever its engine still holds open on the feed is closed
  // before the feed waits for its end.
  QPrinter printer_;
  bool ready_ = false;
  QPrinter::DuplexMode duplex_;
  int copies_;
  bool collate_;
};
