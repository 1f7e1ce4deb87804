// The skin stream over widgets: skins as QImages of known pixels cut into the state images of the
// bitmap-state buttons on a bound widget, the buttons that are passed over, the override cursor and
// a bound widget that is gone.

#include <QCursor>
#include <QGuiApplication>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "gui/QtUIStream.h"
#include "gui/SkinWidgets.h"

using namespace q9;

namespace {

// Every pixel tells where it is: opaque, red = x, green = y, blue = the skin's tag.
QImage Skin(int width, int height, int tag, QImage::Format format = QImage::Format_ARGB32) {
  QImage image(width, height, QImage::Format_ARGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgba(x & 0xFF, y & 0xFF, tag, 0xFF));
  return image.convertToFormat(format);
}

TBitmapStateButton* AddButton(QWidget* parent, const QRect& geometry) {
  auto* button = new TBitmapStateButton(parent);
  button->setGeometry(geometry);
  return button;
}

}  // namespace

class QtUIStreamTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void imagesBecomeBitmapsPixelForPixelAndBack();
  void skinsAsWideAsTheWidgetGiveTheRegionUnderEachButton();
  void skinsTwiceAsWideGiveImagesTwiceTheButtonsSize();
  void onlyTheHotSkinChangesOnlyTheHotImages();
  void buttonsOnOtherWidgetsAndOtherButtonsAreLeftAlone();
  void aButtonPartlyOutsideTheSkinIsTransparentThere();
  void aButtonOfOnePixelKeepsItsImage();
  void theWaitCursorShowsDuringTheCutAndTheOuterOneComesBack();
  void aBoundWidgetThatIsGoneIsNone();
  void aButtonDeletedDuringTheCutIsPassedOver();
  void aButtonShowsItsImageAndTheBackgroundItsOwnPicture();

 private:
  std::unique_ptr<QWidget> bound_;
  std::unique_ptr<QtUIStream> stream_;
};

void QtUIStreamTest::init() {
  bound_ = std::make_unique<QWidget>();
  bound_->resize(100, 60);
  stream_ = std::make_unique<QtUIStream>();
  stream_->SetBoundComponent(bound_.get());
}

void QtUIStreamTest::cleanup() {
  stream_.reset();
  bound_.reset();
  while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
}

void QtUIStreamTest::imagesBecomeBitmapsPixelForPixelAndBack() {
  const QImage argb = Skin(7, 5, 9);
  const TSkinBitmap bitmap = SkinBitmapFromImage(argb);
  QCOMPARE(bitmap.Width(), 7);
  QCOMPARE(bitmap.Height(), 5);
  QCOMPARE(bitmap.Pixel(6, 4), 0xFF060409u);
  QCOMPARE(ImageFromSkinBitmap(bitmap), argb);
  // Other formats arrive as the same colours; a half-transparent pixel keeps its alpha.
  QCOMPARE(SkinBitmapFromImage(Skin(7, 5, 9, QImage::Format_RGB888)), bitmap);
  QImage translucent(2, 2, QImage::Format_ARGB32);
  translucent.fill(qRgba(0x40, 0x80, 0xC0, 0x80));
  QCOMPARE(SkinBitmapFromImage(translucent.convertToFormat(QImage::Format_ARGB32_Premultiplied)).Pixel(1, 1) >> 24, 0x80u);
  QVERIFY(SkinBitmapFromImage(QImage()).Empty());
  QVERIFY(ImageFromSkinBitmap(TSkinBitmap()).isNull());
}

void QtUIStreamTest::skinsAsWideAsTheWidgetGiveTheRegionUnderEachButton() {
  const QImage normal = Skin(100, 60, 1), down = Skin(100, 60, 2), hot = Skin(100, 60, 3);
  stream_->SetBitmap(normal);
  stream_->SetBitmapDown(down);
  stream_->SetBitmapHot(hot);
  TBitmapStateButton* ok = AddButton(bound_.get(), QRect(10, 20, 30, 15));
  TBitmapStateButton* cancel = AddButton(bound_.get(), QRect(50, 5, 45, 50));
  stream_->SetActiveUI(false);
  QCOMPARE(stream_->UIRate(), 1.0f);
  QCOMPARE(stream_->BoundComponentWidth(), 100.0f);
  QCOMPARE(ok->StateImage(TButtonState::Normal), normal.copy(10, 20, 30, 15));
  QCOMPARE(ok->StateImage(TButtonState::Down), down.copy(10, 20, 30, 15));
  QCOMPARE(ok->StateImage(TButtonState::Hot), hot.copy(10, 20, 30, 15));
  QCOMPARE(cancel->StateImage(TButtonState::Normal), normal.copy(50, 5, 45, 50));
  QVERIFY(stream_->ActiveUI());
}

void QtUIStreamTest::skinsTwiceAsWideGiveImagesTwiceTheButtonsSize() {
  const QImage normal = Skin(200, 120, 1);
  stream_->SetBitmap(normal);
  TBitmapStateButton* button = AddButton(bound_.get(), QRect(10, 20, 30, 15));
  stream_->SetActiveUI(false);
  QCOMPARE(stream_->UIRate(), 2.0f);
  QCOMPARE(stream_->UIBackgroundBitmapWidth(), 200.0f);
  QCOMPARE(button->StateImage(TButtonState::Normal), normal.copy(20, 40, 60, 30));
  QVERIFY(button->StateImage(TButtonState::Down).isNull());
}

void QtUIStreamTest::onlyTheHotSkinChangesOnlyTheHotImages() {
  const QImage hot = Skin(50, 30, 3);
  stream_->SetBitmapHot(hot);
  TBitmapStateButton* button = AddButton(bound_.get(), QRect(20, 10, 40, 20));
  const QImage earlier = Skin(4, 4, 7);
  button->SetStateImage(TButtonState::Normal, earlier);
  stream_->SetActiveUI(false);
  QCOMPARE(stream_->UIRate(), 0.5f);
  QCOMPARE(button->StateImage(TButtonState::Hot), hot.copy(10, 5, 20, 10));
  QCOMPARE(button->StateImage(TButtonState::Normal), earlier);
  QVERIFY(button->StateImage(TButtonState::Down).isNull());
}

void QtUIStreamTest::buttonsOnOtherWidgetsAndOtherButtonsAreLeftAlone() {
  stream_->SetBitmap(Skin(100, 60, 1));
  auto* panel = new QWidget(bound_.get());
  panel->setGeometry(0, 0, 50, 50);
  TBitmapStateButton* nested = AddButton(panel, QRect(5, 5, 20, 20));
  auto* plain = new QPushButton(QStringLiteral("OK"), bound_.get());
  plain->setGeometry(60, 10, 30, 20);
  QWidget elsewhere;
  TBitmapStateButton* foreign = AddButton(&elsewhere, QRect(5, 5, 20, 20));
  TBitmapStateButton* direct = AddButton(bound_.get(), QRect(5, 5, 20, 20));
  QSignalSpy nestedChanges(nested, &TBitmapStateButton::StateImageChanged);
  stream_->SetActiveUI(false);
  QCOMPARE(nestedChanges.count(), 0);
  QVERIFY(nested->StateImage(TButtonState::Normal).isNull());
  QVERIFY(foreign->StateImage(TButtonState::Normal).isNull());
  QVERIFY(plain->icon().isNull());
  QVERIFY(!direct->StateImage(TButtonState::Normal).isNull());
}

void QtUIStreamTest::aButtonPartlyOutsideTheSkinIsTransparentThere() {
  const QImage normal = Skin(100, 60, 1);
  stream_->SetBitmap(normal);
  TBitmapStateButton* corner = AddButton(bound_.get(), QRect(90, 50, 20, 20));
  TBitmapStateButton* before = AddButton(bound_.get(), QRect(-5, -3, 10, 10));
  stream_->SetActiveUI(false);
  const QImage image = corner->StateImage(TButtonState::Normal);
  QCOMPARE(image.size(), QSize(20, 20));
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x)
      QCOMPARE(image.pixel(x, y), x < 10 && y < 10 ? normal.pixel(90 + x, 50 + y) : QRgb(0));
  QCOMPARE(before->StateImage(TButtonState::Normal).pixel(4, 2), QRgb(0));
  QCOMPARE(before->StateImage(TButtonState::Normal).pixel(5, 3), normal.pixel(0, 0));
}

void QtUIStreamTest::aButtonOfOnePixelKeepsItsImage() {
  stream_->SetBitmap(Skin(100, 60, 1));
  TBitmapStateButton* thin = AddButton(bound_.get(), QRect(10, 10, 1, 30));
  const QImage earlier = Skin(3, 3, 5);
  thin->SetStateImage(TButtonState::Normal, earlier);
  QSignalSpy changes(thin, &TBitmapStateButton::StateImageChanged);
  stream_->SetActiveUI(false);
  QCOMPARE(changes.count(), 0);
  QCOMPARE(thin->StateImage(TButtonState::Normal), earlier);
}

void QtUIStreamTest::theWaitCursorShowsDuringTheCutAndTheOuterOneComesBack() {
  stream_->SetBitmap(Skin(100, 60, 1));
  TBitmapStateButton* button = AddButton(bound_.get(), QRect(10, 10, 20, 20));
  Qt::CursorShape during = Qt::ArrowCursor;
  connect(button, &TBitmapStateButton::StateImageChanged, this, [&] {
    if (const QCursor* cursor = QGuiApplication::overrideCursor()) during = cursor->shape();
  });
  QGuiApplication::setOverrideCursor(QCursor(Qt::CrossCursor));
  stream_->SetActiveUI(false);
  QCOMPARE(during, Qt::WaitCursor);
  QVERIFY(QGuiApplication::overrideCursor());
  QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
  QGuiApplication::restoreOverrideCursor();
  QVERIFY(!QGuiApplication::overrideCursor());

  // Writing true cuts nothing and shows no cursor.
  during = Qt::ArrowCursor;
  stream_->SetActiveUI(true);
  QCOMPARE(during, Qt::ArrowCursor);
  QVERIFY(!QGuiApplication::overrideCursor());
}

void QtUIStreamTest::aBoundWidgetThatIsGoneIsNone() {
  stream_->SetBitmap(Skin(100, 60, 1));
  AddButton(bound_.get(), QRect(10, 10, 20, 20));
  bound_.reset();
  QVERIFY(!stream_->BoundComponent());
  stream_->SetActiveUI(false);
  QVERIFY(stream_->ActiveUI());
  QCOMPARE(stream_->BoundComponentWidth(), 0.0f);
  QVERIFY(!QGuiApplication::overrideCursor());

  QtUIStream unbound;
  unbound.SetBitmap(Skin(10, 10, 1));
  unbound.SetActiveUI(false);
  QCOMPARE(unbound.UIBackgroundBitmapWidth(), 0.0f);
  QCOMPARE(unbound.Bitmap(), Skin(10, 10, 1));
}

void QtUIStreamTest::aButtonDeletedDuringTheCutIsPassedOver() {
  stream_->SetBitmap(Skin(100, 60, 1));
  TBitmapStateButton* first = AddButton(bound_.get(), QRect(0, 0, 20, 20));
  QPointer<TBitmapStateButton> second = AddButton(bound_.get(), QRect(30, 0, 20, 20));
  TBitmapStateButton* third = AddButton(bound_.get(), QRect(60, 0, 20, 20));
  connect(first, &TBitmapStateButton::StateImageChanged, this, [&] { delete second.data(); });
  stream_->SetActiveUI(false);
  QVERIFY(!second);
  QCOMPARE(third->StateImage(TButtonState::Normal), Skin(100, 60, 1).copy(60, 0, 20, 20));
}

void QtUIStreamTest::aButtonShowsItsImageAndTheBackgroundItsOwnPicture() {
  TBitmapStateButton button;
  button.resize(12, 8);
  const QImage normal = Skin(12, 8, 1);
  button.SetStateImage(TButtonState::Normal, normal);
  button.SetStateImage(TButtonState::Down, Skin(12, 8, 2));
  QCOMPARE(button.grab().toImage().convertToFormat(QImage::Format_ARGB32), normal);
  button.setDown(true);
  QCOMPARE(button.grab().toImage().convertToFormat(QImage::Format_ARGB32), Skin(12, 8, 2));
  QCOMPARE(button.sizeHint(), QSize(12, 8));

  TBackgroundImage background;
  background.resize(6, 4);
  background.SetImage(Skin(6, 4, 3));
  QCOMPARE(background.grab().toImage().convertToFormat(QImage::Format_ARGB32), Skin(6, 4, 3));
}

QTEST_MAIN(QtUIStreamTest)
#include "QtUIStreamTest.moc"
