#pragma once
// TLightPage: the "COLOR CONTROL" page. It shows the light of the current profile on a drawn
// picture of the mouse, lets the user pick its colour from swatches (sent to the mouse at once so
// the colour shows on the device), its brightness level and its breathing speed. The page owns
// the light working copy (R, G, B, BRIGHT_LEVEL, BREATH_SPEED) and writes it whole, with
// BREATH_SECOND 0, into the current settings after every change.

#include <QAbstractButton>
#include <QPushButton>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "app/DataModule.h"
#include "device/uiSTDCommand.h"
#include "lang/uiLanguage.h"

class QGraphicsDropShadowEffect;
class QLabel;
class QRadioButton;

namespace q9 {

/// What the page works with; everything outlives the page.
struct LightPageServices {
  TDM& DM;
  TuiSTDCommand& channel;  ///< the window's device channel, for the immediate light command
  TuiLanguage& language;   ///< for the accessible names of the swatches
  std::function<void()> settingsModified;
};

/// A colour swatch: a focusable button that paints its fill colour. Space and Enter click it; the
/// arrow keys move the focus to the neighbouring swatch of its grid.
class TLightSwatch : public QAbstractButton {
  Q_OBJECT
 public:
  TLightSwatch(QRgb argb, int column, int row, QWidget* parent);
  QColor Colour() const { return colour_; }
  int Column() const { return column_; }
  int Row() const { return row_; }
  QSize sizeHint() const override { return size(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QColor colour_;
  int column_;
  int row_;
};

/// The colour chooser: a button showing its colour; pressing it opens a colour dialog without
/// alpha. `ColourChanged` comes only when the colour really changes.
class TColourChooser : public QPushButton {
  Q_OBJECT
 public:
  explicit TColourChooser(QWidget* parent);
  QColor Colour() const { return colour_; }
  void SetColour(const QColor& colour);

 signals:
  void ColourChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void Choose();
  QColor colour_{0xFF, 0xFF, 0xFF};
};

/// The preview of the light over the picture: a translucent rounded rectangle with an outline, a
/// glow around it and an inner glow, all in the light colour.
class TLightPreview : public QWidget {
  Q_OBJECT
 public:
  explicit TLightPreview(QWidget* parent);
  QColor OutlineColour() const { return outline_; }
  QColor InnerGlowColour() const { return innerGlow_; }
  QColor GlowColour() const;
  void SetOutlineColour(const QColor& colour);
  void SetInnerGlowColour(const QColor& colour);
  void SetGlowColour(const QColor& colour);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor outline_{0xFF, 0xFF, 0xFF};
  QColor innerGlow_{0xFF, 0xD7, 0x00};
  QGraphicsDropShadowEffect* Glowlight = nullptr;
};

class TLightPage : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kLargeSwatchCount = 7;
  static constexpr int kSmallSwatchCount = 33;

  TLightPage(LightPageServices services, QWidget* parent);
  ~TLightPage() override;

  /// R, G, B, BRIGHT_LEVEL, BREATH_SPEED as the page holds them.
  const std::array<std::uint8_t, 5>& WorkingCopy() const { return FLightWorkingCopy; }
  /// Takes the light of the current settings whole; call whenever the current settings are replaced.
  void ReloadWorkingCopy();
  /// "SetLED": shows the stored light on the radios, the preview and the chooser; sends nothing.
  void SetLED();

  void RTC1Click(TLightSwatch* sender);
  void Rectangle10Click(TLightSwatch* sender);
  void PickLightColour(const QColor& colour);
  void ComboColorSelectChange();
  void RadioLevelCloseChange(QRadioButton* sender, bool checked);
  void RadioSPCloseChange(QRadioButton* sender, bool checked);

 private:
  void BuildPicture();
  void BuildSwatches();
  void BuildSmallSwatches();
  void BuildRadios();
  void BuildTabOrder();
  void TranslateAccessibleNames(const TuiLanguage& language);
  void TakeColour(const QColor& colour);
  void ShowColour(const QColor& colour);
  void StoreWorkingCopy();
  static void CheckByTag(const std::array<QRadioButton*, 4>& radios, int tag);

  LightPageServices services_;
  std::array<std::uint8_t, 5> FLightWorkingCopy{};
  int FLanguageForm = -1;
  std::weak_ptr<bool> FLanguageRegistration;

  QWidget* ImageMousePic = nullptr;
  TLightPreview* RoundRect1 = nullptr;
  std::array<TLightSwatch*, kLargeSwatchCount> FLargeSwatches{};
  std::array<TLightSwatch*, kSmallSwatchCount> FSmallSwatches{};
  QWidget* FSmallSwatchPanel = nullptr;
  QLabel* Label11 = nullptr;
  TColourChooser* ComboColorSelect = nullptr;
  std::array<QRadioButton*, 4> FLevelRadios{};
  std::array<QRadioButton*, 4> FSpeedRadios{};
};

}  // namespace q9
