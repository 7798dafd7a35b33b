#include "history/gui/THistoriqueForm.h"

#include <QApplication>
#include <QHeaderView>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <cstdio>

#include "history/HistoryLog.h"
#include "history/HistoryTexts.h"
#include "history/gui/LogTableModel.h"
#include "history/gui/TLogGrid.h"
#include "monitor/PackFile.h"
#include "platform/gui/WidgetLook.h"
#include "texts/Catalogue.h"
#include "texts/TextIds.h"

THistoriqueForm* HistoriqueForm = nullptr;

namespace {
QString T(int n) { return QString::fromUtf8(UserTexts(n)); }
QString Own(history::Said what) { return QString::fromUtf8(history::Say(what)); }
QSqlDatabase Connection() { return QSqlDatabase::database(QString::fromLatin1(history::kConnectionName), false); }

// The engine takes a file name as UTF-8 text, which a name that is not UTF-8
// cannot be; as a URI with its bytes escaped, any name reaches its own file.
QString FileUri(const std::string& path) {
  return QString::fromLatin1("file:" + QByteArray::fromStdString(path).toPercentEncoding("/"));
}

// Engine codes of a start that failed: no such driver, or a driver that would not load.
constexpr unsigned kEngineDriverMissing = 0x2E01;
constexpr unsigned kEngineDriverInvalid = 0x2E02;
}  // namespace

EDatabaseEngineError::EDatabaseEngineError(unsigned code) : code_(code) {
  char text[128];
  std::snprintf(text, sizeof text, "Impossible d'initialiser le moteur de base de donn\xC3\xA9" "es : $%04X",
                code & 0xFFFFu);
  message_ = text;
}

THistoriqueForm::THistoriqueForm(QWidget* owner, const char* driverName) : QMainWindow(owner) {
  const QString driver = QString::fromLatin1(driverName);
  const QString name = QString::fromLatin1(history::kConnectionName);
  if (!QSqlDatabase::isDriverAvailable(driver)) throw EDatabaseEngineError(kEngineDriverMissing);
  QSqlDatabase db = QSqlDatabase::addDatabase(driver, name);
  if (!db.isValid()) {
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(name);
    throw EDatabaseEngineError(kEngineDriverInvalid);
  }
  // Short waits for a log another program holds; logs are opened by address.
  db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1;QSQLITE_OPEN_URI").arg(history::kBusyWaitMs));

  setAttribute(Qt::WA_QuitOnClose, false);  // a secondary window: closing it ends nothing
  setFont(look::Font("MS Sans Serif", false));
  auto* client = new QWidget(this);
  setCentralWidget(client);
  Syet1 = menuBar()->addMenu(QStringLiteral("Système"));
  Sortie1 = Syet1->addAction(QStringLiteral("Sortie"));
  connect(Sortie1, &QAction::triggered, this, [this] { Sortie1Click(); });

  Records = new TLogTableModel(this, Connection());
  DBGrid1 = new TLogGrid(client);
  DBGrid1->SetLogModel(Records);
  DBGrid1->setGeometry(16, 8, 735, 249);
  DBGrid1->setFont(look::Font("Comic Sans MS", true, false, 13));
  DBGrid1->horizontalHeader()->setFont(look::Font("Comic Sans MS", true, false, 13));
  DBGrid1->ReportError = [this](const QSqlError& e) { Report(e); };
  DBGrid1->ConfirmDelete = [this] {
    return QMessageBox::question(this, QString(), QStringLiteral("Supprimer l'enregistrement ?"),
                                 QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
  };
  RetryWriting = [this](const QSqlError& reason) {
    QMessageBox box(QMessageBox::Warning, QString(), Own(history::Said::RecordNotWritten), QMessageBox::NoButton,
                    this);
    box.setInformativeText(reason.text());
    const QAbstractButton* again = box.addButton(Own(history::Said::TryAgain), QMessageBox::AcceptRole);
    box.addButton(Own(history::Said::LeaveWithoutIt), QMessageBox::RejectRole);
    box.exec();
    return box.clickedButton() == again;
  };

  setWindowTitle(QStringLiteral("Historique"));
  move(141, 207);
  resize(765, 279 + menuBar()->sizeHint().height());
  FormCreate();
}

THistoriqueForm::~THistoriqueForm() {
  if (TableOpen) FormHide();
  delete DBGrid1;
  delete Records;
  DBGrid1 = nullptr;
  Records = nullptr;
  QSqlDatabase::removeDatabase(QString::fromLatin1(history::kConnectionName));
}

void THistoriqueForm::FormCreate() {
  TableOpen = false;
  for (int i = 0; i < history::kFieldCount; ++i) Records->Titles[i] = T(txt::GridDate + i);
  Syet1->setTitle(T(txt::MenuSystem));
  Sortie1->setText(T(txt::MenuQuit));
}

void THistoriqueForm::OpenLog(const std::string& packName) {
  hide();
  HistoryPackName = packName;
  show();
  raise();
  activateWindow();
}

void THistoriqueForm::Sortie1Click() { hide(); }

void THistoriqueForm::WriteBeforeQuit() {
  if (!TableOpen) return;
  QSqlError failure;
  while (!DBGrid1->Post(&failure)) {
    if (!RetryWriting(failure)) {
      DBGrid1->Cancel();
      break;
    }
  }
  FormHide();
}

void THistoriqueForm::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) FormShow();
  QMainWindow::showEvent(event);
}

void THistoriqueForm::hideEvent(QHideEvent* event) {
  if (!event->spontaneous()) FormHide();
  QMainWindow::hideEvent(event);
}

void THistoriqueForm::FormShow() {
  // A log still open (its last hiding could not write it) is written first;
  // while that fails the window keeps it.
  if (TableOpen && !CloseTable()) return;
  setWindowTitle(T(txt::MaintenanceCaption) + QStringLiteral(" - ") +
                 QString::fromStdString(pack::TextToUtf8(HistoryPackName)));
  TableOpen = OpenTable();
}

void THistoriqueForm::FormHide() {
  if (TableOpen) TableOpen = !CloseTable();
}

bool THistoriqueForm::OpenTable() {
  QSqlDatabase db = Connection();
  db.setDatabaseName(FileUri(pack::PackPath(pack::PackFile::Log, HistoryPackName)));
  QSqlError error;
  if (!db.open()) {
    error = db.lastError();
  } else {
    QSqlQuery create(db);
    if (!create.exec(QString::fromLatin1(history::CreateTableSql()))) {
      error = create.lastError();
    } else {
      Records->setTable(QString::fromLatin1(history::kTableName));
      if (!Records->select()) error = Records->lastError();
    }
  }
  if (error.isValid()) {
    Records->clear();
    db.close();
    Report(error);
    return false;
  }
  while (Records->canFetchMore()) Records->fetchMore();
  const int widths[history::kFieldCount] = {213, 180, 180, 121};
  for (int i = 0; i < history::kFieldCount; ++i) DBGrid1->setColumnWidth(i, widths[i]);
  if (Records->rowCount() > 0) DBGrid1->setCurrentIndex(Records->index(0, 0));
  return true;
}

bool THistoriqueForm::CloseTable() {
  if (!DBGrid1->Post()) return false;
  Records->clear();
  Connection().close();
  return true;
}

void THistoriqueForm::Report(const QSqlError& error) {
  QMessageBox::critical(this, QString(), error.text());
}
