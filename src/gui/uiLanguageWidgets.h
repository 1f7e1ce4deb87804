#pragma once
// The language component's walk over Qt widgets: a registered form has every fixed text of its
// widget tree translated again whenever the language changes.
//
// What is translated, on the form and on every widget inside it:
//   - every widget's tool tip and window title;
//   - the text of labels and buttons (check boxes, radio buttons, tool buttons), the title of group boxes;
//   - the text and tool tip of actions (menu entries, menu bar and tool button actions), and of the
//     menus reached through them, also menus that have no parent widget;
//   - the texts and tool tips of a tab bar's tabs (a QTabWidget's tabs through its tab bar);
//   - the item texts of combo boxes; the texts and tool tips of list widget and tree widget items,
//     and of a tree widget's header.
// Line edits, text edits, spin boxes and tables are not walked: what they show is the user's.
//
// Each text remembers the original it was translated from and the text the walk put there, so any
// number of language changes gives the original back exactly. A text the program sets later that is
// not the one the walk put there is taken as the new original and translated at the next change.
// The memory lives in dynamic properties named "q9Original..." on the widget or action, and in
// the item data roles Qt::UserRole + 0x5130 and 0x5131 of items; programs must not use those.
//
// Opting out: a widget or action whose dynamic property "q9NoTranslate" is true is left alone with
// everything inside it (child widgets, items, a menu's entries). Set it on labels and lists that show
// the user's data (macro names) and on anything showing key names, which are never translated.
//
// A form registered here carries its registration id in the dynamic property "q9LanguageForm"; the
// walk of another form passes over it, so a dialog owned by the main window and registered itself
// is translated once per change. Dialogs and other windows made later register themselves the same way.

#include <QString>
#include <functional>
#include <string>

class QObject;
class QWidget;

namespace q9 {

class TuiLanguage;

/// The dynamic property that opts a widget or action out of the walk (see above).
inline constexpr char kNoTranslateProperty[] = "q9NoTranslate";

/// Registers a form: every language change re-translates its whole widget tree; the registration
/// ends when the form is destroyed (the language may be destroyed first). Also translates it once
/// now, so register a form after its widgets are made. Returns the registration id.
int RegisterFormWidgets(TuiLanguage& language, QWidget* form);
/// A text in the language's current translation, for the texts a page sets itself (accessible
/// names, message texts).
QString TranslatedText(const TuiLanguage& language, const std::string& text);
/// Registers `update` to run after every language change, for as long as `owner` lives (the
/// language may go first).
void OnLanguageChanged(TuiLanguage& language, QObject* owner, std::function<void()> update);
/// Re-translates every text, tool tip, window title and the special classes of a widget tree.
void TranslateWidgetTree(const TuiLanguage& language, QWidget* form);

}  // namespace q9
