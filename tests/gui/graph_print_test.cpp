// The printout, on a PDF file: header, graph, footer, page orientation and
// job name; and what happens without a usable printer.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDate>
#include <QImage>
#include <QLocale>
#include <QMessageBox>
#include <QPaintEngine>
#include <QPrintEngine>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

#include "platform/gui/PrintJob.h"
#include "plot/gui/TGraph.h"
#include "texts/Catalogue.h"
#include "texts/TextIds.h"

namespace {

QString RunTool(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  p.waitForFinished(30000);
  return QString::fromUtf8(p.readAllStandardOutput());
}

std::unique_ptr<TGraph> CurveOf(int samples) {
  auto g = std::make_unique<TGraph>(nullptr, nullptr);
  g->resize(705, 193);
  for (int k = 0; k < samples; ++k) g->AddSample(1000 + k, k / 4, 1500 - k, 0);
  return g;
}

struct Printout {
  QString text;       // pdftotext -layout
  QString info;       // pdfinfo
  QString error;      // what Print returned
  QString file;
};

Printout PrintToPdf(TGraph& g, const QTemporaryDir& dir, const char* packName) {
  Printout out;
  out.file = dir.filePath("curve.pdf");
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setPageSize(QPageSize(QPageSize::A4));
  printer.setOutputFileName(out.file);
  out.error = g.Print(printer, UserTexts(txt::AboutTitle), UserTexts(txt::Version), packName);
  out.text = RunTool("pdftotext", {"-layout", out.file, "-"});
  out.info = RunTool("pdfinfo", {out.file});
  return out;
}

QString Today() { return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat); }

TEST(GraphPrint, PageCarriesHeaderGraphAndFooterWithThePackName) {
  QTemporaryDir dir;
  auto g = CurveOf(200);
  const Printout p = PrintToPdf(*g, dir, "Lipo 3S 2200");
  ASSERT_TRUE(p.error.isEmpty()) << p.error.toStdString();
#if ZEPHYRAL_LANG_EN
  const QString header = "Zephyral Loaders Software - Version 3.16 ";
  const QString title = "Zephyral Loaders Software";
  const QStringList graphTexts = {"Time", "Voltage (Volts)", "Current (Amps)",
                                  "Capacity (charged/discharged) : 49 mA"};
#else
  const QString header = QString::fromUtf8("Contrôleur pour chargeurs Zephyral - Version 3.16 ");
  const QString title = "Logiciel pour les chargeurs Zephyral";
  const QStringList graphTexts = {"Temps", "Tension (Volts)", QString::fromUtf8("Courant (Ampères)"),
                                  QString::fromUtf8("Capacité (chargée/déchargée) : 49 mA")};
#endif
  // The title's leading blanks are skipped; the notice follows the version.
  const QString firstLine = p.text.section('\n', 0, 0);
  EXPECT_TRUE(firstLine.startsWith(header)) << firstLine.toStdString();
  EXPECT_TRUE(firstLine.contains(QString::fromUtf8("Relevé imprimé par le moniteur de chargeur")));
  for (const QString& t : graphTexts) EXPECT_TRUE(p.text.contains(t)) << t.toStdString();
  for (const char* label : {"1.00", "2.00", "3.00", "4.00", "3.50", "4.00", "4.50", "5.00", "5.50"})
    EXPECT_TRUE(p.text.contains(label)) << label;
  EXPECT_TRUE(p.text.contains("Lipo 3S 2200 - " + Today())) << p.text.toStdString();
  // Landscape, named after the program in the print queue.
  const QRegularExpression size("Page size:\\s+([0-9.]+) x ([0-9.]+) pts");
  const auto m = size.match(p.info);
  ASSERT_TRUE(m.hasMatch()) << p.info.toStdString();
  EXPECT_GT(m.captured(1).toDouble(), m.captured(2).toDouble());
  EXPECT_TRUE(p.info.contains(QRegularExpression("Title:\\s+" + QRegularExpression::escape(title))))
      << p.info.toStdString();
  EXPECT_EQ(g->PrinterRef, nullptr);
}

TEST(GraphPrint, AnEmptyPackNameGivesPackNotSetInTheFooter) {
  QTemporaryDir dir;
  auto g = CurveOf(10);
  const Printout p = PrintToPdf(*g, dir, "");
  ASSERT_TRUE(p.error.isEmpty());
  EXPECT_TRUE(p.text.contains(QString::fromUtf8(UserTexts(txt::PackNotSet)) + " - " + Today()))
      << p.text.toStdString();
}

// The graph is laid out in device pixels of a 600 dpi page: the plot's left
// axis at x = 500 + 8 * 50, the time axis at y = 800 + 8 * 153.
TEST(GraphPrint, GraphSitsAtItsDevicePixelPlaceAndADisabledCurvePrintsInFull) {
  QTemporaryDir dir;
  auto g = CurveOf(300);
  g->Disable();
  const Printout p = PrintToPdf(*g, dir, "x");
  ASSERT_TRUE(p.error.isEmpty());
  // 60 dpi: one tenth of the device pixels, shifted by the page margins.
  RunTool("pdftoppm", {"-r", "60", "-png", "-singlefile", p.file, dir.filePath("page")});
  QImage page(dir.filePath("page.png"));
  ASSERT_FALSE(page.isNull());
  EXPECT_GT(page.width(), page.height());
  QPrinter probe(QPrinter::HighResolution);
  probe.setOutputFormat(QPrinter::PdfFormat);
  probe.setPageSize(QPageSize(QPageSize::A4));
  probe.setPageOrientation(QPageLayout::Landscape);
  const QRect paint = probe.pageLayout().paintRectPixels(600);
  QRect blue;
  for (int y = 0; y < page.height(); ++y)
    for (int x = 0; x < page.width(); ++x) {
      const QRgb c = page.pixel(x, y);
      if (qBlue(c) > 200 && qRed(c) < 120 && qGreen(c) < 120) blue |= QRect(x, y, 1, 1);
    }
  ASSERT_FALSE(blue.isEmpty());
  // Blue: grid from x = 900 to 5740 (the plot), labels and title further left.
  const int left = (paint.left() + 500) / 10, right = (paint.left() + 500 + 8 * 705) / 10;
  const int top = (paint.top() + 800) / 10, bottom = (paint.top() + 800 + 8 * 193) / 10;
  EXPECT_GE(blue.left(), left - 2);
  EXPECT_LE(blue.right(), right + 2);
  EXPECT_GE(blue.top(), top - 2);
  EXPECT_LE(blue.bottom(), bottom + 2);
  EXPECT_GT(blue.width(), (8 * 605) / 10 - 4);
}

TEST(GraphPrint, AControlWithoutPlotPrintsHeaderAndFooterOnly) {
  QTemporaryDir dir;
  auto g = std::make_unique<TGraph>(nullptr, nullptr);
  g->resize(90, 30);
  for (int k = 0; k < 5; ++k) g->AddSample(1000, k, 1000, 0);
  const Printout p = PrintToPdf(*g, dir, "tiny");
  ASSERT_TRUE(p.error.isEmpty());
  EXPECT_TRUE(p.text.contains("tiny - " + Today()));
  EXPECT_TRUE(p.text.contains("Version 3.16"));
  EXPECT_FALSE(p.text.contains("3.50"));
  EXPECT_EQ(g->ScaleX, 0.0);
}

TEST(GraphPrint, APrinterThatCannotStartLeavesTheCurveAsItWas) {
  auto g = CurveOf(50);
  const double scaleX = g->ScaleX;
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName("/nonexistent-folder/curve.pdf");
  const QString error = g->Print(printer, "t", "v", "p");
  EXPECT_FALSE(error.isEmpty());
  EXPECT_EQ(g->Count, 50);
  EXPECT_EQ(g->ScaleX, scaleX);
  EXPECT_EQ(g->PrinterRef, nullptr);
}

// A printer that takes the document and then fails while the page is drawn.
class FailingEngine : public QPaintEngine, public QPrintEngine {
 public:
  bool aborted = false;
  bool failed = false;
  bool begin(QPaintDevice*) override { return true; }
  bool end() override { return true; }
  void updateState(const QPaintEngineState&) override {}
  void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
  void drawTextItem(const QPointF&, const QTextItem&) override { failed = true; }
  void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
  Type type() const override { return QPaintEngine::User; }
  void setProperty(PrintEnginePropertyKey key, const QVariant& value) override {
    if (key == PPK_QPageLayout) layout_ = value.value<QPageLayout>();
  }
  QVariant property(PrintEnginePropertyKey key) const override {
    switch (key) {
      case PPK_QPageLayout: return QVariant::fromValue(layout_);
      case PPK_Resolution: return 600;
      default: return QVariant();
    }
  }
  bool newPage() override { return true; }
  bool abort() override {
    aborted = true;
    return true;
  }
  int metric(QPaintDevice::PaintDeviceMetric m) const override {
    switch (m) {
      case QPaintDevice::PdmWidth: return 7000;
      case QPaintDevice::PdmHeight: return 4900;
      case QPaintDevice::PdmDpiX:
      case QPaintDevice::PdmDpiY:
      case QPaintDevice::PdmPhysicalDpiX:
      case QPaintDevice::PdmPhysicalDpiY: return 600;
      case QPaintDevice::PdmDepth: return 32;
      case QPaintDevice::PdmDevicePixelRatio: return 1;
      case QPaintDevice::PdmDevicePixelRatioScaled: return QPaintDevice::devicePixelRatioFScale();
      default: return 297;
    }
  }
  QPrinter::PrinterState printerState() const override {
    return aborted ? QPrinter::Aborted : failed ? QPrinter::Error : QPrinter::Active;
  }

 private:
  QPageLayout layout_{QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()};
};

class FailingPrinter : public QPrinter {
 public:
  explicit FailingPrinter(FailingEngine* engine) { setEngines(engine, engine); }
};

TEST(GraphPrint, APrinterFailingDuringThePageAbortsTheJob) {
  FailingEngine engine;
  FailingPrinter printer(&engine);
  auto g = CurveOf(50);
  const QString error = g->Print(printer, "t", "v", "p");
  EXPECT_TRUE(engine.failed);
  EXPECT_TRUE(engine.aborted);
  EXPECT_FALSE(error.isEmpty());
  EXPECT_EQ(g->Count, 50);
  EXPECT_EQ(g->PrinterRef, nullptr);
}

TEST(GraphPrint, WithoutADefaultPrinterAMessageBoxSaysSoAndTheProgramGoesOn) {
  if (!FindDefaultQueue().name.isEmpty()) GTEST_SKIP() << "a default printer is installed";
  auto g = CurveOf(20);
  QString shown;
  QTimer::singleShot(0, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      shown = box->text();
      box->accept();
    }
  });
  g->Print(UserTexts(txt::AboutTitle), UserTexts(txt::Version), "");
  EXPECT_FALSE(shown.isEmpty());
  EXPECT_EQ(g->Count, 20);
}

}  // namespace
