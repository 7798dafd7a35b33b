// The print command against a real CUPS scheduler of the test's own, on a
// private socket: a queue that refuses jobs, or a document that could not be
// written whole, must be told in a message box; a queued job goes to the
// queue lp would print on, on that queue's default paper, with the options lp
// would send.
#include <cups/cups.h>
#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>
#include <cstdlib>
#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "plot/gui/TGraph.h"
#include "texts/Catalogue.h"
#include "texts/TextIds.h"

namespace {

const char kQueue[] = "Zephyral";
const char kSecond[] = "Second";

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
*PageSize A5: "<</PageSize[420 595]>>setpagedevice"
*CloseUI: *PageSize
*DefaultImageableArea: A4
*ImageableArea A4: "18 36 577 806"
*ImageableArea Letter: "18 36 594 756"
*ImageableArea A5: "12 12 408 583"
*DefaultPaperDimension: A4
*PaperDimension A4: "595 842"
*PaperDimension Letter: "612 792"
*PaperDimension A5: "420 595"
)ppd";

bool WriteFile(const QString& path, const QByteArray& text) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
}

// A process started here is killed when this one ends, even by SIGKILL: a
// test killed mid-table leaves nothing behind.
void EndsWithThisProcess(QProcess& p) {
  const pid_t parent = getpid();
  p.setChildProcessModifier([parent] {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(1);
  });
}

// The tools' output, or nothing when they fail.
std::optional<QString> Tool(const QString& program, const QStringList& args) {
  QProcess p;
  EndsWithThisProcess(p);
  p.start(program, args);
  if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
    return std::nullopt;
  return QString::fromUtf8(p.readAllStandardOutput());
}

// A queued job as the scheduler holds it, and its document.
struct Job {
  int id = 0;
  std::string queue;
  std::map<std::string, std::string> attributes;  // those that lp and we must agree on
  std::string page;  // as pdfinfo reads it ("842 x 595")
  qint64 bytes = 0;
  double left = 0;   // where the page's text begins, in points
};

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
    EndsWithThisProcess(cupsd_);
    cupsd_.start("cupsd", {"-f", "-c", d + "/cupsd.conf", "-s", d + "/cups-files.conf"});
    for (int i = 0; i < 200 && !QFileInfo::exists(socket_); ++i) {
      if (cupsd_.waitForFinished(50)) return false;
    }
    return Admin("lpadmin", {"-p", kQueue, "-v", "file:///dev/null", "-P", d + "/queue.ppd"}) &&
           Admin("lpadmin", {"-p", kSecond, "-v", "file:///dev/null", "-P", d + "/queue.ppd"});
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
  // The ids of the jobs waiting on any queue.
  std::vector<int> Jobs() const {
    cups_job_t* jobs = nullptr;
    const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, nullptr, 0, CUPS_WHICHJOBS_ACTIVE);
    std::vector<int> ids;
    for (int i = 0; i < n; ++i) ids.push_back(jobs[i].id);
    cupsFreeJobs(n, jobs);
    return ids;
  }
  Job JobOf(int id) const {
    Job job;
    job.id = id;
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr,
                 ("ipp://localhost/jobs/" + std::to_string(id)).c_str());
    ipp_t* answer = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
    if (ipp_attribute_t* uri = ippFindAttribute(answer, "job-printer-uri", IPP_TAG_URI)) {
      const std::string printer = ippGetString(uri, 0, nullptr);
      job.queue = printer.substr(printer.rfind('/') + 1);
    }
    for (const char* name : {"media", "sides", "print-color-mode", "job-priority"}) {
      char value[256] = "";
      if (ipp_attribute_t* a = ippFindAttribute(answer, name, IPP_TAG_ZERO))
        ippAttributeString(a, value, sizeof value);
      job.attributes[name] = value;
    }
    ippDelete(answer);
    const QString document = Document(id);
    job.bytes = QFileInfo(document).size();
    const auto size = QRegularExpression("Page size:\\s+(\\S+ x \\S+) pts")
                          .match(Tool("pdfinfo", {document}).value_or(""));
    job.page = size.captured(1).toStdString();
    // The header is the leftmost text: the graph begins further in.
    job.left = 1e9;
    auto words = QRegularExpression("<word xMin=\"([0-9.]+)\"")
                     .globalMatch(Tool("pdftotext", {"-bbox", document, "-"}).value_or(""));
    while (words.hasNext()) job.left = std::min(job.left, words.next().captured(1).toDouble());
    return job;
  }
  // What lp does with the same document in the same set-up: the job it
  // queues, or none.
  std::optional<Job> Lp(int id) {
    const auto said = Tool("lp", {Document(id)});
    const auto queued = QRegularExpression("request id is \\S+-([0-9]+)").match(said.value_or(""));
    if (!queued.hasMatch()) return std::nullopt;
    return JobOf(queued.captured(1).toInt());
  }
  const QString& Socket() const { return socket_; }

 private:
  // Where the scheduler keeps a job's document.
  QString Document(int id) const { return dir_.filePath(QString::asprintf("spool/d%05d-001", id)); }

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

// Points this process at the private scheduler and back again; the default
// queue is each row's own.
class CupsEnvironment {
 public:
  explicit CupsEnvironment(const QString& socket)
      : server_("CUPS_SERVER", socket.toLocal8Bit().constData()),
        printer_("PRINTER", nullptr),
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

const char kIsolated[] = "ZEPHYRAL_PRINT_TABLE_ISOLATED";

// libcups reads HOME and CUPS_SERVERROOT once, at its first call in a thread,
// which a test run before this one in the same process may have made: the
// table runs in a process of its own, with a HOME and a server root of its
// own, so that neither the user's lpoptions nor the machine's can change a
// result.
bool RunIsolated() {
  if (std::getenv(kIsolated)) return false;
  QTemporaryDir home;
  EXPECT_TRUE(QDir(home.path()).mkdir(".cups") && QDir(home.path()).mkdir("etc"));
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("HOME", home.path());
  env.insert("CUPS_SERVERROOT", home.filePath("etc"));
  env.insert(kIsolated, "1");
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  QProcess self;
  EndsWithThisProcess(self);
  self.setProcessEnvironment(env);
  self.setProcessChannelMode(QProcess::ForwardedChannels);
  self.start(QCoreApplication::applicationFilePath(),
             {QString("--gtest_filter=%1.%2").arg(test->test_suite_name(), test->name())});
  EXPECT_TRUE(self.waitForFinished(-1));
  EXPECT_EQ(self.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(self.exitCode(), 0);
  return true;
}

TEST(GraphPrint, ARefusedJobOrADocumentCutShortIsToldInAMessageBoxAndAWholeOneIsQueuedOnTheQueuesPaper) {
  if (RunIsolated()) return;
  PrivateScheduler cups;
  ASSERT_TRUE(cups.Start()) << "cupsd or lpadmin (cups-daemon, cups-client) failed\n" << cups.Log();
  CupsEnvironment env(cups.Socket());
  const QString lpoptions = QDir::home().filePath(".cups/lpoptions");
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

  enum class Shown { Nothing, NoPrinter, CupsReason, NotFinished };
  struct Case {
    const char* tool;
    rlim_t tmpBytes;       // how much of the document the temporary folder takes
    const char* paper;     // the first queue's default
    bool serverDefault;    // the server's default is the first queue (kept once made)
    const char* printer;   // PRINTER
    const char* saved;     // the user's lpoptions
    Shown shown;
    const char* queue;     // where the one job goes; none queued without
    const char* page = nullptr;  // its document's size, in points
    double margin = 0;           // its paper's left printable margin, in points
    // The job's media, sides, print-color-mode and job-priority, which lp's
    // job in the same set-up must have too.
    const char* media = nullptr;
    const char* sides = nullptr;
    const char* colour = nullptr;
    const char* priority = nullptr;
  };
  const Case cases[] = {
      {"cupsaccept", RLIM_INFINITY, "A4", false, nullptr, "", Shown::NoPrinter, nullptr},
      {"cupsreject", RLIM_INFINITY, "A4", false, kQueue, "", Shown::CupsReason, nullptr},
      {"cupsaccept", 4096, "A4", false, kQueue, "", Shown::NotFinished, nullptr},
      {"cupsaccept", RLIM_INFINITY, "Letter", false, kQueue, "", Shown::Nothing, kQueue,
       "792 x 612", 18, "Letter", "one-sided", "color", "50"},
      {"cupsaccept", RLIM_INFINITY, "A4", false, kQueue, "", Shown::Nothing, kQueue, "842 x 595", 18,
       "A4", "one-sided", "color", "50"},
      {"cupsaccept", RLIM_INFINITY, "A5", false, kQueue, "Default Zephyral\n", Shown::Nothing,
       kQueue, "595 x 420", 12, "A5", "one-sided", "color", "50"},
      {"cupsaccept", RLIM_INFINITY, "A4", true, nullptr, "Dest Zephyral media=Letter\n",
       Shown::Nothing, kQueue, "792 x 612", 18, "Letter", "one-sided", "color", "50"},
      {"cupsaccept", RLIM_INFINITY, "A4", true, kSecond,
       "Dest Second print-color-mode=monochrome sides=two-sided-long-edge\n", Shown::Nothing,
       kSecond, "842 x 595", 18, "A4", "two-sided-long-edge", "monochrome", "50"},
      {"cupsaccept", RLIM_INFINITY, "A4", true, nullptr, "Dest Zephyral job-priority=77\n",
       Shown::Nothing, kQueue, "842 x 595", 18, "A4", "one-sided", "color", "77"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.tool) + ", " + c.paper +
                 (c.tmpBytes == RLIM_INFINITY ? "" : ", full temporary folder") +
                 (c.printer ? std::string(", PRINTER=") + c.printer : "") + ", lpoptions: " +
                 c.saved);
    for (const char* queue : {kQueue, kSecond}) {
      ASSERT_TRUE(cups.Admin(c.tool, {queue}));
      ASSERT_TRUE(cups.Admin("cancel", {"-a", queue}));
    }
    ASSERT_TRUE(cups.Admin("lpadmin", {"-p", kQueue, "-o", QString("PageSize=") + c.paper}));
    if (c.serverDefault) {
      ASSERT_TRUE(cups.Admin("lpadmin", {"-d", kQueue}));
    }
    ASSERT_TRUE(WriteFile(lpoptions, c.saved));
    const ScopedEnv printer("PRINTER", c.printer);
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
    switch (c.shown) {
      case Shown::Nothing:
        EXPECT_TRUE(shown.isEmpty()) << shown.toStdString();
        break;
      case Shown::NoPrinter:
        EXPECT_EQ(shown.toStdString(), "Aucune imprimante par défaut n'est disponible.");
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
    const std::vector<int> jobs = cups.Jobs();
    EXPECT_EQ(jobs.size(), c.queue ? 1u : 0u);
    if (c.queue && jobs.size() == 1) {
      const Job job = cups.JobOf(jobs[0]);
      EXPECT_EQ(job.queue, c.queue);
      const std::map<std::string, std::string> attributes = {
          {"media", c.media}, {"sides", c.sides}, {"print-color-mode", c.colour},
          {"job-priority", c.priority}};
      EXPECT_EQ(job.attributes, attributes);
      EXPECT_EQ(job.page, c.page);
      // The page is drawn from its paper's printable corner: the header
      // stands 40 device pixels (4.8 pt) in from it.
      EXPECT_NEAR(job.left, c.margin + 4.8, 0.5);
      // More than the pipe and one read of its copier hold together: the
      // full-folder row could not end without the copier draining the pipe.
      EXPECT_GT(job.bytes, 2 * 64 * 1024);
      // lp, in the same set-up, prints on the same queue, and every one of
      // these options that its job carries, ours carries with its value.
      const std::optional<Job> lp = cups.Lp(job.id);
      ASSERT_TRUE(lp.has_value());
      EXPECT_EQ(lp->queue, job.queue);
      for (const auto& [name, value] : lp->attributes) {
        if (!value.empty()) {
          EXPECT_EQ(job.attributes.at(name), value) << name;
        }
      }
    }
    EXPECT_TRUE(QDir(tmp.path()).isEmpty());
    EXPECT_EQ(g->Count, kSamples);
    EXPECT_EQ(g->ScaleX, scaleX);
  }
}

}  // namespace
