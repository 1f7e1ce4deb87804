#pragma once
// The colours of the skin, shared by the style sheet and the widgets that paint themselves.

#include <QColor>

namespace q9::skin {

inline const QColor kWindowBackground{0x12, 0x14, 0x18};   ///< behind everything
inline const QColor kPanel{0x1b, 0x1e, 0x24};              ///< bars, lists, dialogs
inline const QColor kPanelRaised{0x24, 0x28, 0x30};        ///< buttons at rest
inline const QColor kHover{0x2d, 0x33, 0x3d};              ///< the item or button under the pointer
inline const QColor kBorder{0x33, 0x39, 0x44};
inline const QColor kAccent{0x3d, 0xdc, 0x84};             ///< the product's green: pressed, selected, checked
inline const QColor kAccentDark{0x23, 0x8a, 0x52};
inline const QColor kText{0xe8, 0xea, 0xed};
inline const QColor kTextMuted{0x8a, 0x90, 0x99};
inline const QColor kTextOnAccent{0x0b, 0x1a, 0x11};
inline const QColor kWarning{0xf2, 0xb1, 0x3a};

}  // namespace q9::skin
