#pragma once
// Printing one page on the default queue, found and optioned as the CUPS
// tools find it. Qt looks for the default only among the destinations that
// libcups marks as default, and none is marked once the user's lpoptions hold
// a line for the queue; and its printer carries only the paper and the sides
// of what the user saved. lp asks libcups for the default destination itself
// and sends every option saved for it: so do we.
//
// The page goes into a private PDF laid out as the queue's own printer would
// lay it out, and libcups hands that file to the queue, so that a queue that
// refuses the job is heard (Qt's CUPS engine drops CUPS's answer). Qt's PDF
// engine drops its write errors too, so it writes into a feed whose writes
// into the file are checked: a document cut short is never queued.
#include <QByteArray>
#include <QPrinter>
#include <QPrinterInfo>
#include <QString>
#include <QTemporaryFile>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "platform/FileFeed.h"

// A job's options by name, in the order they are sent.
using PrintOptions = std::vector<std::pair<QByteArray, QByteArray>>;

// The destination libcups names as the default (LPDEST or PRINTER, then the
// user's lpoptions, the system's, then the server), with the options saved
// for it merged over the server's defaults: lp's queue and lp's options.
struct DefaultQueue {
  QString name;  // "queue" or "queue/instance"; empty when libcups names none
  PrintOptions options;
};
DefaultQueue FindDefaultQueue();

class TQueuedPrint {
 public:
  // queue: the printer of the destination; saved: its options.
  TQueuedPrint(const QPrinterInfo& queue, PrintOptions saved);
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
  PrintOptions saved_;
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

// Draws one page with drawPage (which returns the printer's error, empty
// when the page was drawn) on the default queue and queues it. Returns what
// to tell the user, empty once the page is queued.
QString PrintOnDefaultQueue(const std::function<QString(QPrinter&)>& drawPage);
