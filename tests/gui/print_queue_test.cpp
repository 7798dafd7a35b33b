// The print command against a real CUPS scheduler of the test's own, on a
// private socket: a queue that refuses jobs, or a document that could not be
// written whole, must be told in a message box; a queued job is on the
// queue's default paper.
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
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

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
*PageSize Letter: "<</PageSize[612 792]>>setpagedevice"
*CloseUI: *PageSize
*DefaultImageableArea: A4
*ImageableArea A4: "18 36 577 806"
*ImageableArea Letter: "18 36 594 756"
*DefaultPaperDimension: A4
*PaperDimension A4: "595 842"
*PaperDimension Letter: "612 792"
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
  // The paper the queue's first waiting job asks for, and its document's page
  // size as pdfinfo reads it ("842 x 595"); its bytes, to know it outgrew the
  // feed's pipe.
  struct Job {
    std::string media, page;
    qint64 bytes = 0;
  };
  Job FirstJob() const {
    Job job;
    cups_job_t* jobs = nullptr;
    const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, kQueue, 0, CUPS_WHICHJOBS_ACTIVE);
    const int id = n > 0 ? jobs[0].id : 0;
    cupsFreeJobs(n, jobs);
    if (id == 0) return job;
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr,
                 ("ipp://localhost/jobs/" + std::to_string(id)).c_str());
    ipp_t* answer = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
    if (ipp_attribute_t* media = ippFindAttribute(answer, "media", IPP_TAG_ZERO))
      job.media = ippGetString(media, 0, nullptr);
    ippDelete(answer);
    const QString document = dir_.filePath(QString::asprintf("spool/d%05d-001", id));
    job.bytes = QFileInfo(document).size();
    const auto size = QRegularExpression("Page size:\\s+(\\S+ x \\S+) pts")
                          .match(Tool("pdfinfo", {document}).value_or(""));
    job.page = size.captured(1).toStdString();
    return job;
  }
  const QString& Socket() const { return socket_; }

 private:
  QTemporaryDir dir_;
  QString socket_;
  QProcess cupsd_;
};

// One environment variable set (or unset, for nullptr) until the end of the
// scope, whichever way the scope ends: a failed assertion must not leave the
// later tests with a folder that is gone.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* v = std::getenv(name)) saved_ = v;
    if (value) setenv(name, value, 1);
    else unsetenv(name);
  }
  ~ScopedEnv() {
    if (saved_) setenv(name_, saved_->c_str(), 1);
    else unsetenv(name_);
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> saved_;
};

// Points this process at the private scheduler and back again.
class CupsEnvironment {
 public:
  CupsEnvironment(const QString& socket, const char* queue)
      : server_("CUPS_SERVER", socket.toLocal8Bit().constData()),
        printer_("PRINTER", queue),
        lpdest_("LPDEST", nullptr) {
    // libcups keeps the first server it found for the life of the thread.
    cupsSetServer(nullptr);
  }
  // The server is looked up again at the next request, once the variables
  // are back.
  ~CupsEnvironment() { cupsSetServer(nullptr); }

 private:
  ScopedEnv server_, printer_, lpdest_;
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

TEST(GraphPrint, ARefusedJobOrADocumentCutShortIsToldInAMessageBoxAndAWholeOneIsQueuedOnTheQueuesPaper) {
  PrivateScheduler cups;
  ASSERT_TRUE(cups.Start()) << "cupsd or lpadmin (cups-daemon, cups-client) failed\n" << cups.Log();
  CupsEnvironment env(cups.Socket(), kQueue);
  ASSERT_EQ(QPrinterInfo::defaultPrinter().printerName().toStdString(), kQueue);
  QTemporaryDir tmp;
  const ScopedEnv tmpdir("TMPDIR", tmp.path().toLocal8Bit().constData());

  // A document far larger than the feed's pipe holds (its jagged curves
  // compress badly), so that a feed that stopped reading at a failed write
  // would leave the print waiting for ever.
  constexpr int kSamples = 20000;
  auto g = std::make_unique<TGraph>(nullptr, nullptr);
  g->resize(705, 193);
  for (int k = 0; k < kSamples; ++k)
    g->AddSample(1000 + k * 7919 % 4000, k / 4, 1500 - k * 31 % 1000, 0);
  const double scaleX = g->ScaleX;

  enum class Shown { Nothing, CupsReason, NotFinished };
  struct Case {
    const char* tool;
    rlim_t tmpBytes;     // how much of the document the temporary folder takes
    const char* paper;   // the queue's default
    Shown shown;
    const char* page;    // of the one job queued, in points; none queued without
  };
  const Case cases[] = {
      {"cupsreject", RLIM_INFINITY, "A4", Shown::CupsReason, nullptr},
      {"cupsaccept", 4096, "A4", Shown::NotFinished, nullptr},
      {"cupsaccept", RLIM_INFINITY, "Letter", Shown::Nothing, "792 x 612"},
      {"cupsaccept", RLIM_INFINITY, "A4", Shown::Nothing, "842 x 595"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.tool) + ", " + c.paper +
                 (c.tmpBytes == RLIM_INFINITY ? "" : ", full temporary folder"));
    ASSERT_TRUE(cups.Admin(c.tool, {kQueue}));
    ASSERT_TRUE(cups.Admin("lpadmin", {"-p", kQueue, "-o", QString("PageSize=") + c.paper}));
    ASSERT_TRUE(cups.Admin("cancel", {"-a", kQueue}));
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
    EXPECT_EQ(jobs.count(QString(kQueue) + "-"), c.page ? 1 : 0) << jobs.toStdString();
    if (c.page) {
      const auto job = cups.FirstJob();
      EXPECT_EQ(job.media, c.paper);
      EXPECT_EQ(job.page, c.page);
      // More than the pipe and one read of its copier hold together: the
      // full-folder row could not end without the copier draining the pipe.
      EXPECT_GT(job.bytes, 2 * 64 * 1024);
    }
    EXPECT_TRUE(QDir(tmp.path()).isEmpty());
    EXPECT_EQ(g->Count, kSamples);
    EXPECT_EQ(g->ScaleX, scaleX);
  }
}

}  // namespace
