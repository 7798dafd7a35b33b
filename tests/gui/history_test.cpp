#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>
#include <QTimer>
#include <csignal>
#include <functional>
#include <memory>
#include <regex>

#include "Language.h"
#include "TempDir.h"
#include "app/MainForm.h"
#include "e2e/Process.h"
#include "history/gui/LogTableModel.h"
#include "history/gui/THistoriqueForm.h"
#include "history/gui/TLogGrid.h"
#include "platform/gui/TerminationSignals.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {
bool WaitFor(const std::function<bool()>& done, int ms = 5000) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > ms) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(1);
  }
  return true;
}

void Key(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {}) {
  QKeyEvent press(QEvent::KeyPress, key, mods, text);
  QApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, key, mods, text);
  QApplication::sendEvent(w, &release);
}

// The grid's open cell editor, if any.
QLineEdit* Editor(THistoriqueForm& f) {
  for (auto* e : f.DBGrid1->viewport()->findChildren<QLineEdit*>())
    if (e->isVisible()) return e;
  return nullptr;
}

// Types into the grid as the user does: the first key opens the cell's editor.
void Type(THistoriqueForm& f, const QString& text) {
  for (QChar c : text) {
    QWidget* target = Editor(f) ? static_cast<QWidget*>(Editor(f)) : f.DBGrid1;
    Key(target, c.toUpper().unicode(), Qt::NoModifier, QString(c));
  }
}

// Types one record into a new last row, cell by cell, the editor left open.
void TypeRecord(THistoriqueForm& f, const QStringList& cells) {
  Key(f.DBGrid1, Qt::Key_Down);
  Key(f.DBGrid1, Qt::Key_Home);
  for (int i = 0; i < cells.size(); ++i) {
    if (i) Key(Editor(f) ? static_cast<QWidget*>(Editor(f)) : f.DBGrid1, Qt::Key_Tab);
    Type(f, cells[i]);
  }
}

// The records of a log file, read with a connection of its own ("-" for no value).
std::vector<QStringList> Disk(const std::string& pack) {
  std::vector<QStringList> rows;
  const QByteArray path = QByteArray::fromStdString("Packs/" + pack + ".db");
  if (access(path.constData(), F_OK) != 0) return rows;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "probe");
    db.setConnectOptions("QSQLITE_OPEN_URI");
    db.setDatabaseName("file:" + path.toPercentEncoding("/"));
    if (db.open()) {
      QSqlQuery q("SELECT Date, ChargedCapacity, DischargedCapacity, Resistor FROM Records ORDER BY rowid", db);
      while (q.next()) {
        QStringList r;
        for (int i = 0; i < 4; ++i) r << (q.value(i).isNull() ? "-" : q.value(i).toString());
        rows.push_back(r);
      }
    }
  }
  QSqlDatabase::removeDatabase("probe");
  return rows;
}

// Answers every message box that opens while it lives, and keeps their texts.
class BoxAnswer {
 public:
  explicit BoxAnswer(QMessageBox::StandardButton answer) {
    QObject::connect(&timer_, &QTimer::timeout, [this, answer] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      texts << box->text();
      if (QAbstractButton* b = box->button(answer)) b->click(); else box->accept();
    });
    timer_.start(5);
  }
  QStringList texts;

 private:
  QTimer timer_;
};

// Another program holding a log: an exclusive transaction on a connection of its own.
class HeldLog {
 public:
  explicit HeldLog(const QString& pack) {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "holder");
    db.setDatabaseName("Packs/" + pack + ".db");
    EXPECT_TRUE(db.open() && db.exec("BEGIN EXCLUSIVE").isActive());
  }
  void Release() { QSqlDatabase::database("holder").exec("ROLLBACK"); }
  ~HeldLog() {
    Release();
    QSqlDatabase::database("holder").close();
    QSqlDatabase::removeDatabase("holder");
  }
};

class History : public ::testing::Test {
 protected:
  void SetUp() override { mkdir("Packs", 0777); }
  TempWorkDir wd_;
};

TEST_F(History, FirstOpeningCreatesAnEmptyLogWithTheFourFields) {
  THistoriqueForm f;
  EXPECT_FALSE(f.isVisible());
  EXPECT_FALSE(f.TableOpen);
  EXPECT_EQ(f.pos(), QPoint(141, 207));
  EXPECT_EQ(f.Syet1->title(), QString::fromStdString(Lang("Système", "System")));
  EXPECT_EQ(f.Sortie1->text(), QString::fromStdString(Lang("Quitter", "Exit")));
  EXPECT_EQ(f.DBGrid1->geometry(), QRect(16, 8, 735, 249));

  f.OpenLog("LiPo 3S");
  EXPECT_TRUE(f.isVisible());
  EXPECT_TRUE(f.TableOpen);
  EXPECT_EQ(f.windowTitle(), QString::fromStdString(Lang("Livret d'entretien", "Maintenance booklet")) + " - LiPo 3S");
  EXPECT_EQ(f.Records->rowCount(), 0);
  const char* titles[] = {"Date", "Capacité Chargée", "Capacité Déchargée", "Résistance"};
  const char* titlesEn[] = {"Date", "Charged Capacity", "Discharged Capacity", "Resistor"};
  const int widths[] = {213, 180, 180, 121};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(f.Records->headerData(i, Qt::Horizontal).toString(), QString::fromStdString(Lang(titles[i], titlesEn[i])));
    EXPECT_EQ(f.DBGrid1->columnWidth(i), widths[i]);
  }
  f.hide();

  QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "fields");
  db.setDatabaseName("Packs/LiPo 3S.db");
  ASSERT_TRUE(db.open());
  QSqlQuery q("PRAGMA table_info(Records)", db);
  QStringList fields;
  while (q.next()) fields << q.value(1).toString() + " " + q.value(2).toString();
  EXPECT_EQ(fields, (QStringList{"Date VARCHAR(20)", "ChargedCapacity INTEGER", "DischargedCapacity INTEGER",
                                 "Resistor INTEGER"}));
  q = QSqlQuery();
  db.close();
  db = QSqlDatabase();
  QSqlDatabase::removeDatabase("fields");
}

TEST_F(History, TypedRecordsSurviveARestartAndEachNameHasItsOwnLog) {
  // A name that is not UTF-8 (Windows-1252 "Accué") is shown decoded and
  // names its file by its bytes.
  const std::string names[] = {"LiPo 3S", "O'Brien\"; DROP TABLE Records; --", std::string(124, 'n') + "éàü",
                               Lang("- aucun -", "- none -"), "Accu\xE9"};
  const QString shown[] = {"LiPo 3S", "O'Brien\"; DROP TABLE Records; --", QString(124, 'n') + "éàü",
                           QString::fromStdString(Lang("- aucun -", "- none -")), "Accué"};
  {
    THistoriqueForm f;
    for (int i = 0; i < 5; ++i) {
      f.OpenLog(names[i]);
      ASSERT_TRUE(f.TableOpen) << i;
      EXPECT_TRUE(f.windowTitle().endsWith(" - " + shown[i]));
      TypeRecord(f, {"1" + QString::number(i) + "/05/24", "2200", "2150", QString::number(i)});
      // Enter writes the record; so does Down on the last record, which starts a new one.
      Key(Editor(f), i % 2 ? Qt::Key_Down : Qt::Key_Return);
      ASSERT_TRUE(WaitFor([&] { return Disk(names[i]).size() == 1; })) << i;
    }
    EXPECT_EQ(f.HistoryPackName, names[4]);
  }
  THistoriqueForm again;  // a new program run
  for (int i = 0; i < 5; ++i) {
    again.OpenLog(names[i]);
    ASSERT_EQ(again.Records->rowCount(), 1) << i;
    EXPECT_EQ(again.Records->data(again.Records->index(0, 3)).toInt(), i);
    EXPECT_EQ(Disk(names[i]), (std::vector<QStringList>{{"1" + QString::number(i) + "/05/24", "2200", "2150",
                                                         QString::number(i)}}));
  }
}

TEST_F(History, APostedRecordSurvivesTheProgramBeingKilled) {
  ChildProcess child({HISTORY_POST_HELPER, "Killed"}, {{"QT_QPA_PLATFORM", "offscreen"}}, wd_.Path());
  ASSERT_EQ(child.FirstLine(10000), "posted");
  child.Kill();
  EXPECT_EQ(Disk("Killed"), (std::vector<QStringList>{{"01/06/24", "1800", "-", "25"}}));
  THistoriqueForm f;
  f.OpenLog("Killed");
  EXPECT_EQ(f.Records->rowCount(), 1);
}

TEST_F(History, SwitchingPacksWritesTheFirstLogBeforeTheSecondOpens) {
  THistoriqueForm f;
  f.OpenLog("A");
  TypeRecord(f, {"02/02/24", "1000"});
  ASSERT_NE(Editor(f), nullptr);
  f.OpenLog("B");  // no event processed in between
  EXPECT_EQ(Disk("A"), (std::vector<QStringList>{{"02/02/24", "1000", "-", "-"}}));
  EXPECT_TRUE(f.TableOpen);
  EXPECT_EQ(f.Records->rowCount(), 0);
  EXPECT_TRUE(f.windowTitle().endsWith(" - B"));
}

TEST_F(History, KeysTypedRightAfterMovingToAnotherRecordAllReachIt) {
  // Down leaves the record and the next key opens the new record's editor;
  // Tab from the last cell opens it itself.
  for (const auto& [key, column] : {std::pair{Qt::Key_Down, 0}, std::pair{Qt::Key_Tab, 3}}) {
    THistoriqueForm f;
    const std::string pack = std::to_string(key);
    f.OpenLog(pack);
    for (const char* date : {"a", "b"}) {
      TypeRecord(f, {date});
      Key(Editor(f), Qt::Key_Return);
      QApplication::processEvents();
    }
    f.DBGrid1->setCurrentIndex(f.Records->index(0, column));
    Type(f, "7");
    Key(Editor(f), key);            // leaving the record asks for its write
    Type(f, "1");                   // the next key comes before the event loop runs
    QApplication::processEvents();  // then the loop catches up, between two keys
    Type(f, "23456789");
    Key(Editor(f), Qt::Key_Return);
    ASSERT_TRUE(WaitFor([&] { return !Editor(f) && !f.Records->isDirty(); }));
    const QStringList left = column ? QStringList{"a", "-", "-", "7"} : QStringList{"7", "-", "-", "-"};
    EXPECT_EQ(Disk(pack), (std::vector<QStringList>{left, {"123456789", "-", "-", "-"}})) << key;
  }
}

TEST_F(History, AnEditInProgressIsWrittenByQuitAndByTheCloseBox) {
  const std::pair<const char*, std::function<void(THistoriqueForm&)>> ways[] = {
      {"Quit", [](THistoriqueForm& f) { f.Sortie1->trigger(); }},
      {"CloseBox", [](THistoriqueForm& f) { f.close(); }},
  };
  for (const auto& [name, hide] : ways) {
    THistoriqueForm f;
    f.OpenLog(name);
    TypeRecord(f, {"03/03/24", "5", "6", "7"});
    ASSERT_NE(Editor(f), nullptr) << name;
    hide(f);
    EXPECT_FALSE(f.isVisible()) << name;
    EXPECT_FALSE(f.TableOpen) << name;
    EXPECT_EQ(Disk(name), (std::vector<QStringList>{{"03/03/24", "5", "6", "7"}})) << name;
  }
}

// Shutdown (SIGTERM), a terminal gone (SIGHUP) and Ctrl-C (SIGINT), wired as
// the program's entry wires them: the signal comes before the message loop
// runs, which then closes the main window, the log writing the record.
TEST_F(History, ASignalToEndWritesTheTypedRecordAndQuitsAsTheCloseBoxDoes) {
  for (const auto& [sig, name] : {std::pair{SIGTERM, "TERM"}, {SIGHUP, "HUP"}, {SIGINT, "INT"}}) {
    std::signal(sig, SIG_DFL);  // as from a terminal: a shell's background job starts with SIGINT ignored
    TMainForm main;
    THistoriqueForm log;
    QObject::connect(qApp, &QGuiApplication::lastWindowClosed, &log, &THistoriqueForm::WriteBeforeQuit);
    TTerminationSignals endSignals(&main);
    main.show();
    log.OpenLog(name);
    TypeRecord(log, {"07/07/24", "2200"});
    ASSERT_NE(Editor(log), nullptr) << name;
    std::raise(sig);
    QTimer limit;  // a loop the signal does not end fails rather than hangs
    limit.callOnTimeout([] { QCoreApplication::exit(1); });
    limit.start(10000);
    EXPECT_EQ(QApplication::exec(), 0) << name;
    EXPECT_FALSE(main.isVisible()) << name;
    EXPECT_EQ(Disk(name), (std::vector<QStringList>{{"07/07/24", "2200", "-", "-"}})) << name;
  }
}

TEST_F(History, CellsTakeADateOfTwentyCharactersAndWholeNumbers) {
  THistoriqueForm f;
  f.OpenLog("Limits");
  struct Case {
    int column;
    QString text;
    bool taken;
    QString stored;
  };
  const Case cases[] = {
      {0, QString(20, 'd'), true, QString(20, 'd')},
      {0, QString(21, 'd'), false, ""},
      {0, "", true, "-"},
      {1, "2200", true, "2200"},
      {1, "-15", true, "-15"},
      {1, "2147483647", true, "2147483647"},
      {1, "2147483648", false, ""},
      {2, "", true, "-"},
      {2, "1.5", false, ""},
      {3, "12a", false, ""},
      {3, "-", false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.toStdString());
    ASSERT_TRUE(f.DBGrid1->AppendRecord());
    const int row = f.Records->rowCount() - 1;
    f.Records->setData(f.Records->index(row, (c.column + 1) % 4), "1");  // the record is never blank
    EXPECT_EQ(f.Records->setData(f.Records->index(row, c.column), c.text), c.taken);
    ASSERT_TRUE(f.DBGrid1->Post());
    const auto disk = Disk("Limits");
    ASSERT_FALSE(disk.empty());
    EXPECT_EQ(disk.back()[c.column], c.taken ? c.stored : "-");
  }
  // The editors stop what the table would refuse.
  Key(f.DBGrid1, Qt::Key_Down);
  Type(f, QString(25, 'x'));
  ASSERT_NE(Editor(f), nullptr);
  EXPECT_EQ(Editor(f)->text(), QString(20, 'x'));
  Key(f.DBGrid1, Qt::Key_Tab);
  Type(f, "4a.2");
  EXPECT_EQ(Editor(f)->text(), "42");
  // A number too large for the column stays in its editor, and the cursor with it.
  const auto before = Disk("Limits");
  Type(f, "99999999");
  for (int key : {Qt::Key_Return, Qt::Key_Tab, Qt::Key_Up}) Key(Editor(f), key);
  QApplication::processEvents();
  ASSERT_NE(Editor(f), nullptr);
  EXPECT_EQ(Editor(f)->text(), "4299999999");
  EXPECT_EQ(f.DBGrid1->currentIndex().column(), 1);
  BoxAnswer box(QMessageBox::Ok);
  EXPECT_FALSE(f.DBGrid1->Post());
  EXPECT_EQ(box.texts, QStringList{QString::fromStdString(Lang("'4299999999' n'est pas un nombre entier valide",
                                                               "'4299999999' is not a valid whole number"))});
  EXPECT_EQ(Disk("Limits"), before);
  Key(Editor(f), Qt::Key_Backspace);
  Key(Editor(f), Qt::Key_Return);
  ASSERT_TRUE(WaitFor([&] { return Disk("Limits").size() > before.size(); }));
  EXPECT_EQ(Disk("Limits").back()[1], "429999999");
}

TEST_F(History, EscInsertAndConfirmedDeleteTouchOnlyTheCurrentRecord) {
  THistoriqueForm f;
  f.OpenLog("Keys");
  for (int i = 0; i < 3; ++i) {
    TypeRecord(f, {"same", "1"});
    Key(Editor(f), Qt::Key_Return);
    ASSERT_TRUE(WaitFor([&] { return Disk("Keys").size() == size_t(i + 1); }));
  }
  // Esc drops a new record being typed.
  TypeRecord(f, {"gone"});
  Key(Editor(f), Qt::Key_Escape);
  ASSERT_TRUE(WaitFor([&] { return f.Records->rowCount() == 3; }));
  // Insert adds a record before the current one; a blank one is dropped on leaving.
  f.DBGrid1->setCurrentIndex(f.Records->index(1, 0));
  Key(f.DBGrid1, Qt::Key_Insert);
  EXPECT_EQ(f.Records->rowCount(), 4);
  Key(f.DBGrid1, Qt::Key_Up);
  ASSERT_TRUE(WaitFor([&] { return f.Records->rowCount() == 3; }));
  EXPECT_EQ(Disk("Keys").size(), 3u);

  // Changing and deleting one of identical records leaves its twins alone.
  f.DBGrid1->setCurrentIndex(f.Records->index(1, 1));
  QApplication::processEvents();  // leaving the row writes it first
  Type(f, "9");
  Key(Editor(f), Qt::Key_Return);
  ASSERT_TRUE(WaitFor([&] { return Disk("Keys")[1][1] == "9"; }));
  EXPECT_EQ(Disk("Keys")[0][1], "1");
  EXPECT_EQ(Disk("Keys")[2][1], "1");
  {
    BoxAnswer no(QMessageBox::Cancel);
    f.DBGrid1->setCurrentIndex(f.Records->index(2, 0));
    Key(f.DBGrid1, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(no.texts, QStringList{"Supprimer l'enregistrement ?"});
  }
  EXPECT_EQ(Disk("Keys").size(), 3u);
  {
    BoxAnswer yes(QMessageBox::Ok);
    Key(f.DBGrid1, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(yes.texts.size(), 1);
  }
  EXPECT_EQ(Disk("Keys"), (std::vector<QStringList>{{"same", "1", "-", "-"}, {"same", "9", "-", "-"}}));
}

TEST_F(History, EngineErrorsAreShownAndTheWindowRecovers) {
  struct Fault {
    const char* what;
    std::function<void()> make, mend;
    const char* engineText;
  };
  const Fault faults[] = {
      {"Packs is a file",
       [] {
         rmdir("Packs");
         close(open("Packs", O_CREAT | O_WRONLY, 0644));
       },
       [] {
         unlink("Packs");
         mkdir("Packs", 0777);
       },
       "unable to open database file"},
      {"log is not a database",
       [] {
         int fd = open("Packs/X.db", O_CREAT | O_WRONLY | O_TRUNC, 0644);
         std::string junk(4096, '\x5a');
         ASSERT_EQ(write(fd, junk.data(), junk.size()), ssize_t(junk.size()));
         close(fd);
       },
       [] { unlink("Packs/X.db"); }, "file is not a database"},
  };
  for (const Fault& fault : faults) {
    SCOPED_TRACE(fault.what);
    THistoriqueForm f;
    fault.make();
    {
      BoxAnswer box(QMessageBox::Ok);
      f.OpenLog("X");
      ASSERT_EQ(box.texts.size(), 1);
      EXPECT_TRUE(box.texts[0].contains(fault.engineText)) << box.texts[0].toStdString();
      EXPECT_TRUE(f.isVisible());
      EXPECT_FALSE(f.TableOpen);
      Key(f.DBGrid1, Qt::Key_Down);  // no table: the keys do nothing
      f.OpenLog("X");                // the same fault once more, nothing flushed
      EXPECT_EQ(box.texts.size(), 2);
      f.hide();
      EXPECT_EQ(box.texts.size(), 2);
    }
    fault.mend();
    BoxAnswer none(QMessageBox::Ok);
    f.OpenLog("X");
    EXPECT_TRUE(none.texts.isEmpty());
    EXPECT_TRUE(f.TableOpen);
    TypeRecord(f, {"ok"});
    f.hide();
    EXPECT_EQ(Disk("X"), (std::vector<QStringList>{{"ok", "-", "-", "-"}}));
  }
}

TEST_F(History, QuittingAsksOnceAboutARecordALockedLogCannotTake) {
  {
    THistoriqueForm f;
    f.OpenLog("Held");
    TypeRecord(f, {"04/04/24", "1"});
    QStringList reasons;
    HeldLog held("Held");
    f.RetryWriting = [&](const QSqlError& e) {
      reasons << e.text();
      if (reasons.size() == 2) held.Release();
      return true;  // try again
    };
    BoxAnswer none(QMessageBox::Ok);
    f.WriteBeforeQuit();
    EXPECT_TRUE(none.texts.isEmpty());
    ASSERT_EQ(reasons.size(), 2);
    EXPECT_TRUE(reasons[0].contains("locked")) << reasons[0].toStdString();
    EXPECT_FALSE(f.TableOpen);
  }
  EXPECT_EQ(Disk("Held"), (std::vector<QStringList>{{"04/04/24", "1", "-", "-"}}));

  THistoriqueForm f;  // the program's own question, left without trying again
  f.OpenLog("Held");
  TypeRecord(f, {"05/05/24"});
  {
    HeldLog held("Held");
    BoxAnswer leave(QMessageBox::NoButton);
    f.WriteBeforeQuit();
    EXPECT_EQ(leave.texts,
              QStringList{QString::fromStdString(Lang("L'enregistrement n'est pas écrit.", "The record is not written."))});
  }
  EXPECT_FALSE(f.TableOpen);
  EXPECT_EQ(Disk("Held").size(), 1u);
}

TEST_F(History, ALogAnotherProgramHoldsIsWaitedForOnlyBriefly) {
  THistoriqueForm f;
  f.OpenLog("Busy");
  QSqlQuery q("PRAGMA busy_timeout", QSqlDatabase::database("Historique"));
  ASSERT_TRUE(q.next());
  EXPECT_GT(q.value(0).toInt(), 0);
  EXPECT_LT(q.value(0).toInt(), 500);
}

TEST_F(History, ARecordChangedElsewhereIsReportedInTheBuildsLanguage) {
  THistoriqueForm f;
  f.OpenLog("Elsewhere");
  TypeRecord(f, {"a"});
  ASSERT_TRUE(f.DBGrid1->Post());
  {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "other");
    db.setDatabaseName("Packs/Elsewhere.db");
    ASSERT_TRUE(db.open() && db.exec("UPDATE Records SET Date = 'b'").isActive());
  }
  QSqlDatabase::removeDatabase("other");
  Type(f, "c");
  BoxAnswer box(QMessageBox::Ok);
  EXPECT_FALSE(f.DBGrid1->Post());
  EXPECT_EQ(box.texts, QStringList{QString::fromStdString(Lang("L'enregistrement a été modifié ailleurs",
                                                               "The record was changed elsewhere"))});
  f.DBGrid1->Cancel();  // nothing left to write when the window goes
}

TEST_F(History, ADatabaseEngineThatCannotStartIsAStartUpError) {
  try {
    THistoriqueForm f(nullptr, "QNOSUCHDRIVER");
    FAIL() << "no error";
  } catch (const EDatabaseEngineError& e) {
    EXPECT_TRUE(std::regex_match(e.what(), std::regex("Impossible d'initialiser le moteur de base de donn\xC3\xA9"
                                                      "es : \\$[0-9A-F]{4}")))
        << e.what();
  }
  THistoriqueForm fine;  // the connection name is left free
  fine.OpenLog("Fine");
  EXPECT_TRUE(fine.TableOpen);
}
}  // namespace
