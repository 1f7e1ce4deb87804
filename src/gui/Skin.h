#pragma once
// The look of every window: fonts, the style sheet, the artwork the program draws itself and its
// cursors. Colours come from SkinPalette.h.

#include <QCursor>
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <optional>

class QApplication;
class QPainter;
class QRect;
class QSize;

namespace q9::skin {

/// Fonts with fallbacks, the widget style, the palette and the style sheet of every window; call
/// once after the QApplication exists.
void ApplySkin(QApplication& app);
/// The style sheet of every window. Widgets are picked by object name and by the dynamic property
/// `q9role` ("tab", "action", "primary", "profile", "mode", "heading", "muted", "link").
QString StyleSheet();
/// The window font: "Tahoma" with fallbacks (DejaVu Sans, then Noto Sans CJK SC/TC for Chinese).
QFont WindowFont(int pointSize = 9, bool bold = false);

/// A warning triangle filling `size` (device-independent pixels).
QPixmap WarningIcon(const QSize& size);
QIcon MinimiseIcon();
QIcon CloseIcon();
QIcon OptionsIcon();
/// The product emblem, drawn from ProgramIconSvg().
QIcon ProgramIcon();
/// The emblem as SVG text; the desktop icon data/icons/q9config.svg holds the same text.
QString ProgramIconSvg();

/// Paints the whole background of a skinned window (the main window, the message dialog): gradient,
/// frame and accents, scaled to `rect`.
void PaintWindowBackground(QPainter& painter, const QRect& rect);
/// The background an ArtworkPreparation drew, once, when it is of `size` and `devicePixelRatio`.
std::optional<QImage> TakePreparedWindowBackground(QSize size, qreal devicePixelRatio);
/// Starts drawing, on other threads, the background of a window of `windowSize` and the program
/// icon at the sizes the window system asks, and reading the system's font list, so that the first
/// paint finds them done (once per run). Its end waits for them: it must end before the QApplication.
class ArtworkPreparation {
 public:
  ArtworkPreparation(QSize windowSize, qreal devicePixelRatio);
  ~ArtworkPreparation();
  ArtworkPreparation(const ArtworkPreparation&) = delete;
  ArtworkPreparation& operator=(const ArtworkPreparation&) = delete;
};

/// Reads the first image of a Windows .cur file, with the hotspot of its directory entry.
/// nullopt when the file is missing, is no cursor, is truncated or its image cannot be decoded.
std::optional<QCursor> LoadCursorFile(const QString& path);

}  // namespace q9::skin
