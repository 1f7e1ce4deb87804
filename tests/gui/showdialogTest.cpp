// The message dialog (answers, layout, text fitting, creation hook, dragging) and the skin pieces it
// relies on: the shipped cursors, the style sheet and the emblem.

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QScreen>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>
#include <QtTest>
#include <algorithm>
#include <functional>

#include "gui/Skin.h"
#include "mainwindow/showdialog.h"

namespace q9 {
namespace {

const QString kDialogText = QStringLiteral("Please connect your mouse device before apply new settings!");

// Runs `inspect` on the dialog once ShowMessageDialog has put it on screen. Whatever `inspect`
// does, an open dialog is closed afterwards, so that a failed check cannot leave the test waiting.
void WhenDialogShown(std::function<void(TFrmDialog&)> inspect) {
  QTimer::singleShot(0, [inspect = std::move(inspect)] {
    auto* dialog = qobject_cast<TFrmDialog*>(QApplication::activeModalWidget());
    const auto closeLeftover = qScopeGuard([dialog] {
      if (dialog && dialog->isVisible()) dialog->done(0);
    });
    QVERIFY2(dialog, "no message dialog is showing");
    inspect(*dialog);
  });
}

template <typename T>
T* Child(QWidget& dialog, const char* name) {
  auto* child = dialog.findChild<T*>(QLatin1String(name));
  if (!child) qWarning("no child %s", name);
  return child;
}

QByteArray ShippedCursor(const char* name) {
  QFile file(QStringLiteral(Q9_SOURCE_DATA "/image/") + QLatin1String(name));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void PutWord(QByteArray& bytes, int at, quint16 value) { qToLittleEndian(value, bytes.data() + at); }

}  // namespace

class ShowDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { skin::ApplySkin(*qApp); }
  void cleanup() { MessageDialogCreated = nullptr; }

  void answers_data() {
    QTest::addColumn<std::function<void(TFrmDialog&)>>("answer");
    QTest::addColumn<int>("expected");
    const auto click = [](const char* name) {
      return std::function<void(TFrmDialog&)>([name](TFrmDialog& d) { Child<QPushButton>(d, name)->click(); });
    };
    QTest::newRow("OK") << click("BtnOK") << 1;
    QTest::newRow("Cancel") << click("BSBTNCANCEL") << 2;
    QTest::newRow("hidden close button") << click("BtnClose") << 1;
    QTest::newRow("Escape") << std::function<void(TFrmDialog&)>([](TFrmDialog& d) {
      QTest::keyClick(&d, Qt::Key_Escape);
    }) << 2;
    QTest::newRow("Return presses OK") << std::function<void(TFrmDialog&)>([](TFrmDialog& d) {
      QTest::keyClick(&d, Qt::Key_Return);
    }) << 1;
    QTest::newRow("window closed") << std::function<void(TFrmDialog&)>([](TFrmDialog& d) { d.close(); }) << 2;
    QTest::newRow("another result code") << std::function<void(TFrmDialog&)>([](TFrmDialog& d) { d.done(7); })
                                         << 2;
  }

  void answers() {
    QFETCH(std::function<void(TFrmDialog&)>, answer);
    QFETCH(int, expected);
    WhenDialogShown(answer);
    QCOMPARE(ShowMessageDialog(QStringLiteral("Warning!"), kDialogText), expected);
    QVERIFY(!QApplication::activeModalWidget());
  }

  void showsTitleAndTextAsPlainText() {
    const QString title = QString::fromUtf8("警告!");
    const QString text = QStringLiteral("You can assign macro function to <b>Macro<Jump></b> & more");
    QVERIFY(Qt::mightBeRichText(text));
    WhenDialogShown([&](TFrmDialog& d) {
      QVERIFY(d.isModal());
      QVERIFY(d.FCreateByOther);
      QCOMPARE(Child<QLabel>(d, "LabelTitle")->text(), title);
      QCOMPARE(Child<QLabel>(d, "LabelText")->text(), text);
      QCOMPARE(Child<QLabel>(d, "LabelText")->textFormat(), Qt::PlainText);
      QCOMPARE(Child<QPushButton>(d, "BtnOK")->text(), QStringLiteral("OK"));
      QCOMPARE(Child<QPushButton>(d, "BSBTNCANCEL")->text(), QStringLiteral("Cancel"));
      Child<QPushButton>(d, "BtnOK")->click();
    });
    QCOMPARE(ShowMessageDialog(title, text, 3), 1);
  }

  void textStaysInsideItsArea_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("fullSize");
    QTest::newRow("short") << kDialogText << true;
    QTest::newRow("save question")
        << QStringLiteral("The mouse setting has been changed, save the current setting anyway?") << true;
    QTest::newRow("long English") << QStringLiteral(
        "The mouse setting has been changed, save the current setting anyway? Changes made since the "
        "last apply are lost otherwise, and the mouse keeps the settings it had before. Choose OK to "
        "keep them.") << false;
    QTest::newRow("long Chinese") << QString::fromUtf8(
        "鼠标设置已更改，是否仍要保存当前设置？如果不保存，自上次应用以来所做的更改将会丢失，"
        "鼠标上的设置也不会更新。请确认后继续操作。") << false;
  }

  void textStaysInsideItsArea() {
    QFETCH(QString, text);
    QFETCH(bool, fullSize);
    WhenDialogShown([&](TFrmDialog& d) {
      auto* label = Child<QLabel>(d, "LabelText");
      QVERIFY(label->wordWrap());
      QCOMPARE(label->geometry(), QRect(95, 80, 308, 82));
      QVERIFY2(label->heightForWidth(308) <= 82, qPrintable(QString::number(label->heightForWidth(308))));
      QVERIFY(label->font().pointSize() >= 8);
      QCOMPARE(label->font().pointSize() == 16, fullSize);
    });
    ShowMessageDialog(QStringLiteral("Warning!"), text);
  }

  void componentsHaveTheirPlaces_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<bool>("shown");
    QTest::newRow("title") << "LabelTitle" << QRect(33, 30, 358, 33) << true;
    QTest::newRow("icon") << "vgmgImage2" << QRect(37, 80, 48, 45) << true;
    QTest::newRow("text") << "LabelText" << QRect(95, 80, 308, 82) << true;
    QTest::newRow("OK") << "BtnOK" << QRect(139, 170, 90, 30) << true;
    QTest::newRow("Cancel") << "BSBTNCANCEL" << QRect(235, 170, 90, 30) << true;
    QTest::newRow("close") << "BtnClose" << QRect(380, 5, 23, 22) << false;
  }

  void componentsHaveTheirPlaces() {
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(bool, shown);
    TFrmDialog dialog;
    dialog.show();
    QCOMPARE(dialog.size(), QSize(430, 232));
    QVERIFY(dialog.windowFlags() & Qt::FramelessWindowHint);
    auto* child = dialog.findChild<QWidget*>(name);
    QVERIFY(child);
    QCOMPARE(child->geometry(), geometry);
    QCOMPARE(child->isVisible(), shown);
  }

  void drawsDarkBackgroundAndWarningIcon() {
    TFrmDialog dialog;
    const QImage image = dialog.grab().toImage();
    QVERIFY(QColor(image.pixel(20, 140)).lightness() < 50);
    const QPixmap icon = Child<QLabel>(dialog, "vgmgImage2")->pixmap();
    QCOMPARE(icon.deviceIndependentSize().toSize(), QSize(48, 45));
    const QColor middle = icon.toImage().pixelColor(icon.width() / 4, icon.height() * 3 / 4);
    QVERIFY2(middle.alpha() > 200 && middle.red() > 200, qPrintable(middle.name(QColor::HexArgb)));
  }

  void centresOnItsOwnersWindow() {
    QWidget owner;
    owner.setGeometry(120, 90, 819, 595);
    auto* button = new QPushButton(&owner);
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    WhenDialogShown([&](TFrmDialog& d) {
      QVERIFY((d.geometry().center() - owner.geometry().center()).manhattanLength() <= 2);
      d.done(2);
    });
    ShowMessageDialog(QStringLiteral("Warning!"), kDialogText, 0, button);
  }

  void centresOnTheScreenWithoutOwner() {
    WhenDialogShown([](TFrmDialog& d) {
      const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
      QVERIFY((d.geometry().center() - screen.center()).manhattanLength() <= 2);
    });
    ShowMessageDialog(QStringLiteral("Warning!"), kDialogText);
  }

  void creationHookTranslatesButtonsBeforeTheMessageIsSet() {
    int calls = 0;
    MessageDialogCreated = [&](QWidget* dialog) {
      ++calls;
      QVERIFY(qobject_cast<TFrmDialog*>(dialog));
      auto* ok = dialog->findChild<QPushButton*>(QStringLiteral("BtnOK"));
      auto* cancel = dialog->findChild<QPushButton*>(QStringLiteral("BSBTNCANCEL"));
      QVERIFY(ok && cancel);
      ok->setText(QString::fromUtf8("确定"));
      cancel->setText(QString::fromUtf8("取消"));
      dialog->findChild<QLabel*>(QStringLiteral("LabelTitle"))->setText(QString::fromUtf8("警告!"));
    };
    WhenDialogShown([](TFrmDialog& d) {
      QCOMPARE(Child<QPushButton>(d, "BtnOK")->text(), QString::fromUtf8("确定"));
      QCOMPARE(Child<QPushButton>(d, "BSBTNCANCEL")->text(), QString::fromUtf8("取消"));
      QCOMPARE(Child<QLabel>(d, "LabelTitle")->text(), QStringLiteral("Attention"));
    });
    ShowMessageDialog(QStringLiteral("Attention"), kDialogText);
    QCOMPARE(calls, 1);
  }

  void draggingMovesTheDialog() {
    TFrmDialog dialog;
    dialog.move(100, 100);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QPoint start = dialog.pos();
    QTest::mousePress(&dialog, Qt::LeftButton, {}, QPoint(200, 12));
    QTest::mouseMove(&dialog, QPoint(250, 42));
    QTest::mouseRelease(&dialog, Qt::LeftButton, {}, QPoint(250, 42));
    QTRY_COMPARE(dialog.pos(), start + QPoint(50, 30));
  }

  void shippedCursorsLoadWithTheirHotspots_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QPoint>("hotspot");
    QTest::newRow("hand") << "hand.cur" << QPoint(11, 1);
    QTest::newRow("attack") << "attack.cur" << QPoint(15, 15);
  }

  void shippedCursorsLoadWithTheirHotspots() {
    QFETCH(QString, file);
    QFETCH(QPoint, hotspot);
    const auto cursor = skin::LoadCursorFile(QStringLiteral(Q9_SOURCE_DATA "/image/") + file);
    QVERIFY(cursor);
    QCOMPARE(cursor->hotSpot(), hotspot);
    const QImage image = cursor->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(image.size(), QSize(32, 32));
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    QVERIFY2(qAlpha(image.pixel(hotspot)) > 128, "the hotspot is not on the drawn pointer");
  }

  void brokenCursorFilesAreRefused_data() {
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray hand = ShippedCursor("hand.cur");
    QVERIFY(hand.size() > 1000);
    QTest::newRow("empty") << QByteArray("");
    QTest::newRow("directory only") << hand.left(6);
    QTest::newRow("truncated image") << hand.left(1000);
    QByteArray icon = hand;
    PutWord(icon, 2, 1);
    QTest::newRow("an icon, not a cursor") << icon;
    QByteArray none = hand;
    PutWord(none, 4, 0);
    QTest::newRow("no images") << none;
    QByteArray farAway = hand;
    qToLittleEndian(quint32{0x7fffff00}, farAway.data() + 18);
    QTest::newRow("image beyond the end") << farAway;
    QByteArray hotspot = hand;
    PutWord(hotspot, 10, 40);
    QTest::newRow("hotspot outside the image") << hotspot;
    QByteArray garbage = hand.left(22) + QByteArray(hand.size() - 22, '\xa5');
    QTest::newRow("garbage image") << garbage;
    QByteArray noise(4286, Qt::Uninitialized);
    QRandomGenerator random(9);
    for (char& byte : noise) byte = static_cast<char>(random.bounded(256));
    QTest::newRow("noise") << noise;
  }

  void brokenCursorFilesAreRefused() {
    QFETCH(QByteArray, bytes);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("broken.cur"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    QVERIFY(!skin::LoadCursorFile(path));
  }

  void missingCursorFileIsRefused() { QVERIFY(!skin::LoadCursorFile(QStringLiteral("/nonexistent/hand.cur"))); }

  void styleSheetParsesCleanly() {
    const QString sheet = skin::StyleSheet();
    QVERIFY2(!sheet.contains(QLatin1Char('@')), "a colour name was left unreplaced");
    QTest::failOnWarning(QRegularExpression(QStringLiteral("stylesheet"),
                                            QRegularExpression::CaseInsensitiveOption));
    QWidget widget;
    widget.setStyleSheet(sheet);
    new QPushButton(&widget);
    widget.ensurePolished();
    widget.grab();
  }

  void desktopIconIsTheProgramEmblem() {
    QFile file(QStringLiteral(Q9_SOURCE_DATA "/icons/q9config.svg"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray svg = file.readAll();
    QCOMPARE(QString::fromUtf8(svg), skin::ProgramIconSvg());
    QSvgRenderer renderer(svg);
    QVERIFY(renderer.isValid());

    // The painted emblem is the drawing of the shipped file, up to the edges' antialiasing.
    constexpr int kSide = 96;
    QImage drawn(kSide, kSide, QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::transparent);
    {
      QPainter painter(&drawn);
      painter.setRenderHint(QPainter::Antialiasing);
      renderer.render(&painter, QRectF(0, 0, kSide, kSide));
    }
    const QImage painted =
        skin::ProgramIcon().pixmap(kSide, kSide).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QCOMPARE(painted.size(), drawn.size());
    int farOff = 0;
    qint64 difference = 0;
    for (int y = 0; y < kSide; ++y) {
      for (int x = 0; x < kSide; ++x) {
        const QRgb a = drawn.pixel(x, y);
        const QRgb b = painted.pixel(x, y);
        const int largest = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                      std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
        difference += largest;
        if (largest > 48) ++farOff;
      }
    }
    QVERIFY2(farOff <= 10, qPrintable(QString("%1 pixels far off").arg(farOff)));
    QVERIFY2(difference < kSide * kSide, qPrintable(QString("mean difference %1").arg(double(difference) / (kSide * kSide))));
  }

  // The artwork drawn on another thread ahead of the first paint is exactly what is drawn on the
  // spot; the background is handed out once and only for the size it was drawn for.
  void artworkDrawnAheadIsTheArtworkDrawnOnTheSpot() {
    const QSize size(240, 160);
    QVERIFY(!skin::TakePreparedWindowBackground(size, 1));
    QImage onTheSpot(size, QImage::Format_ARGB32_Premultiplied);
    {
      QPainter painter(&onTheSpot);
      skin::PaintWindowBackground(painter, QRect(QPoint(), size));
    }
    const QImage emblemOnTheSpot = skin::ProgramIcon().pixmap(32, 32).toImage();

    const skin::ArtworkPreparation preparation(size, 1);
    QVERIFY(!skin::TakePreparedWindowBackground(QSize(241, 160), 1));
    QVERIFY(!skin::TakePreparedWindowBackground(size, 2));
    const std::optional<QImage> prepared = skin::TakePreparedWindowBackground(size, 1);
    QVERIFY(prepared);
    QCOMPARE(*prepared, onTheSpot);
    QVERIFY(!skin::TakePreparedWindowBackground(size, 1));
    QCOMPARE(skin::ProgramIcon().pixmap(32, 32).toImage(), emblemOnTheSpot);
  }
};

}  // namespace q9

QTEST_MAIN(q9::ShowDialogTest)
#include "showdialogTest.moc"
