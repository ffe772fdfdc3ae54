// Pictures of the main window for review, saved as PNG files under the build
// tree's screenshots folder: the window as it opens, and after converting the
// bundled sample. Nothing is compared; a person looks at them.

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTest>

#include "app/gui/main_window.h"
#include "app/gui/qt_clipboard.h"
#include "app/startup.h"

namespace varnel {

class ScreenshotX11Test : public QObject {
  Q_OBJECT

 private:
  static bool Save(QWidget& window, const QString& name) {
    // Let the X server see the last paint, then render the window afresh.
    QTest::qWait(300);
    const QString path = QDir(QStringLiteral(VARNEL_SCREENSHOT_DIR)).filePath(name);
    const QPixmap picture = window.grab();
    qInfo("%s", qPrintable(path));
    return !picture.isNull() && picture.save(path, "PNG");
  }

 private Q_SLOTS:
  void initTestCase() {
    InitialiseVarnel();
    SelectIconTheme();
    QVERIFY(QDir().mkpath(QStringLiteral(VARNEL_SCREENSHOT_DIR)));
  }

  void mainWindow() {
    TQtClipboard clipboard;
    TWindowServices services;
    services.runFileDialog = [](QFileDialog&) { return QStringLiteral(VARNEL_SAMPLE); };
    TForm1 form(clipboard, services);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(Save(form, QStringLiteral("main-window-new.png")));

    QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("BitBtn2")), Qt::LeftButton);
    QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("BitBtn3")), Qt::LeftButton);
    QVERIFY(Save(form, QStringLiteral("main-window-converted.png")));
  }
};

}  // namespace varnel

QTEST_MAIN(varnel::ScreenshotX11Test)
#include "screenshot_x11_test.moc"
