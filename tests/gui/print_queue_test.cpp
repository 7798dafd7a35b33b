// The print command against a real CUPS scheduler of the test's own, on a
// private socket: a queue that refuses jobs, or a document that could not be
// written whole, must be told in a message box.
#include <cups/cups.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "plot/gui/TGraph.h"
#include "texts/Catalogue.h"
#include "texts/TextIds.h"

namespace {

const char kQueue[] = "Zephyral";

// Qt takes a queue for a printer only with a PPD. The PDF would go to the
// printer as it is, but the queue is never started: accepted jobs stay queued.
const char kPpd[] = R"ppd(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "ZEPHYRAL.PPD"
*Manufacturer: "Test"
*Product: "(Test)"
*ModelName: "Test"
*ShortNickName: "Test"
*NickName: "Test"
*PSVersion: "(3010.000) 0"
*ColorDevice: True
*cupsFilter: "application/pdf 0 -"
*OpenUI *PageSize: PickOne
*DefaultPageSize: A4
*PageSize A4: "<</PageSize[595 842]>>setpagedevice"
*CloseUI: *PageSize
*DefaultImageableArea: A4
*ImageableArea A4: "18 36 577 806"
*DefaultPaperDimension: A4
*PaperDimension A4: "595 842"
)ppd";

bool WriteFile(const QString& path, const QByteArray& text) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
}

// The tools' output, or nothing when they fail.
std::optional<QString> Tool(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
    return std::nullopt;
  return QString::fromUtf8(p.readAllStandardOutput());
}

// cupsd in the foreground with its files in a temporary folder, so that tests
// running side by side, and the system's own scheduler, never meet.
class PrivateScheduler {
 public:
  ~PrivateScheduler() {
    cupsd_.terminate();
    if (!cupsd_.waitForFinished(10000)) cupsd_.kill();
    cupsd_.waitForFinished();
  }
  bool Start() {
    const QString d = dir_.path();
    socket_ = d + "/cups.sock";
    const QByteArray at = d.toUtf8();
    const QByteArray files = "ServerRoot " + at + "\nRequestRoot " + at + "/spool\nTempDir " + at +
                             "/spool\nCacheDir " + at + "/cache\nStateDir " + at +
                             "/state\nErrorLog " + at + "/log\nAccessLog " + at +
                             "/log\nPageLog " + at + "/log\nPrintcap " + at + "/printcap\n";
    const QByteArray conf = "Listen " + socket_.toUtf8() +
                            "\nBrowsing No\n"
                            "<Policy default>\n<Limit All>\nOrder deny,allow\n</Limit>\n</Policy>\n";
    if (!QDir(d).mkdir("spool") || !QDir(d).mkdir("cache") || !QDir(d).mkdir("state") ||
        !WriteFile(d + "/cups-files.conf", files) || !WriteFile(d + "/cupsd.conf", conf) ||
        !WriteFile(d + "/queue.ppd", kPpd))
      return false;
    cupsd_.start("cupsd", {"-f", "-c", d + "/cupsd.conf", "-s", d + "/cups-files.conf"});
    for (int i = 0; i < 200 && !QFileInfo::exists(socket_); ++i) {
      if (cupsd_.waitForFinished(50)) return false;
    }
    return Admin("lpadmin", {"-p", kQueue, "-v", "file:///dev/null", "-P", d + "/queue.ppd"});
  }
  // What cupsd logged, for a failure's message.
  std::string Log() const {
    QFile log(dir_.filePath("log"));
    return log.open(QIODevice::ReadOnly) ? log.readAll().toStdString() : std::string();
  }
  bool Admin(const QString& tool, QStringList args) {
    args.prepend(socket_);
    args.prepend("-h");
    return Tool(tool, args).has_value();
  }
  QString Jobs() { return Tool("lpstat", {"-h", socket_, "-o", kQueue}).value_or("lpstat failed"); }
  const QString& Socket() const { return socket_; }

 private:
  QTemporaryDir dir_;
  QString socket_;
  QProcess cupsd_;
};

// Points this process at the private scheduler and back again.
class CupsEnvironment {
 public:
  CupsEnvironment(const QString& socket, const char* queue) {
    for (const char* name : {"CUPS_SERVER", "PRINTER", "LPDEST"})
      if (const char* v = std::getenv(name)) saved_.emplace_back(name, v);
    setenv("CUPS_SERVER", socket.toLocal8Bit().constData(), 1);
    setenv("PRINTER", queue, 1);
    unsetenv("LPDEST");
    // libcups keeps the first server it found for the life of the thread.
    cupsSetServer(nullptr);
  }
  ~CupsEnvironment() {
    for (const char* name : {"CUPS_SERVER", "PRINTER", "LPDEST"}) unsetenv(name);
    for (const auto& [name, value] : saved_) setenv(name.c_str(), value.c_str(), 1);
    cupsSetServer(nullptr);
  }

 private:
  std::vector<std::pair<std::string, std::string>> saved_;
};

// A temporary folder that takes only the first bytes of the document, as a
// full disk does: writes past the limit fail (with EFBIG, and no signal).
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    signal_ = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, saved_.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, signal_);
  }

 private:
  rlimit saved_{};
  void (*signal_)(int) = nullptr;
};

TEST(GraphPrint, ARefusedJobOrADocumentCutShortIsToldInAMessageBoxAndAWholeAcceptedOneIsQueued) {
  PrivateScheduler cups;
  ASSERT_TRUE(cups.Start()) << "cupsd or lpadmin (cups-daemon, cups-client) failed\n" << cups.Log();
  CupsEnvironment env(cups.Socket(), kQueue);
  ASSERT_EQ(QPrinterInfo::defaultPrinter().printerName().toStdString(), kQueue);
  QTemporaryDir tmp;
  const QByteArray savedTmp = qgetenv("TMPDIR");
  qputenv("TMPDIR", tmp.path().toLocal8Bit());

  auto g = std::make_unique<TGraph>(nullptr, nullptr);
  g->resize(705, 193);
  for (int k = 0; k < 100; ++k) g->AddSample(1000 + k, k / 4, 1500 - k, 0);
  const double scaleX = g->ScaleX;

  enum class Shown { Nothing, CupsReason, NotFinished };
  struct Case {
    const char* tool;
    rlim_t tmpBytes;  // how much of the document the temporary folder takes
    Shown shown;
    int queued;
  };
  const Case cases[] = {
      {"cupsreject", RLIM_INFINITY, Shown::CupsReason, 0},
      {"cupsaccept", 4096, Shown::NotFinished, 0},
      {"cupsaccept", RLIM_INFINITY, Shown::Nothing, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.tool) + (c.tmpBytes == RLIM_INFINITY ? "" : ", full temporary folder"));
    ASSERT_TRUE(cups.Admin(c.tool, {kQueue}));
    QString shown;
    QTimer closer;
    closer.setSingleShot(true);
    QObject::connect(&closer, &QTimer::timeout, [&] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        shown = box->text();
        // The document is gone before the box is shown.
        EXPECT_TRUE(QDir(tmp.path()).isEmpty());
        box->accept();
      }
    });
    closer.start(0);
    {
      std::optional<FileSizeLimit> full;
      if (c.tmpBytes != RLIM_INFINITY) full.emplace(c.tmpBytes);
      g->Print(UserTexts(txt::AboutTitle), UserTexts(txt::Version), "Lipo 3S");
    }
    const QString jobs = cups.Jobs();
    switch (c.shown) {
      case Shown::Nothing:
        EXPECT_TRUE(shown.isEmpty()) << shown.toStdString();
        break;
      case Shown::CupsReason:
        // The scheduler's answer itself, not a text of ours.
        EXPECT_EQ(cupsLastError(), IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS);
        EXPECT_FALSE(shown.isEmpty());
        EXPECT_EQ(shown.toStdString(), cupsLastErrorString());
        break;
      case Shown::NotFinished:
        EXPECT_EQ(shown.toStdString(), "L'imprimante n'a pas pu terminer le document.");
        break;
    }
    EXPECT_EQ(jobs.count(QString(kQueue) + "-"), c.queued) << jobs.toStdString();
    EXPECT_TRUE(QDir(tmp.path()).isEmpty());
    EXPECT_EQ(g->Count, 100);
    EXPECT_EQ(g->ScaleX, scaleX);
  }
  if (savedTmp.isNull()) qunsetenv("TMPDIR");
  else qputenv("TMPDIR", savedTmp);
}

}  // namespace
