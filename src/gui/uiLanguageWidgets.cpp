#include "gui/uiLanguageWidgets.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QSet>
#include <QTabBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVariant>
#include <algorithm>
#include <memory>
#include <optional>

#include "lang/uiLanguage.h"

namespace q9 {

namespace {

constexpr char kFormId[] = "q9LanguageForm";
constexpr int kTextMemoryRole = Qt::UserRole + 0x5130;
constexpr int kToolTipMemoryRole = Qt::UserRole + 0x5131;

// What one text remembers between walks: its original and the text the walk put in its place.
struct Remembered {
  QString original;
  QString shown;
};

std::optional<Remembered> FromVariant(const QVariant& memory) {
  const QStringList pair = memory.toStringList();
  if (pair.size() != 2) return std::nullopt;
  return Remembered{pair[0], pair[1]};
}

QVariant ToVariant(const Remembered& remembered) { return QStringList{remembered.original, remembered.shown}; }

// The next state of a text now showing `current`: what the walk put there stands for its original,
// anything else was set by the program and is the original from now on. Nothing for an empty text
// that was never seen.
std::optional<Remembered> Retranslate(const TuiLanguage& language, const QString& current, const QVariant& memory) {
  const std::optional<Remembered> last = FromVariant(memory);
  if (current.isEmpty() && !last) return std::nullopt;
  const QString original = last && last->shown == current ? last->original : current;
  return Remembered{original, QString::fromStdString(language.Translate(original.toStdString()))};
}

// One text reached through a getter and a setter, remembered through a loader and a storer.
template <typename Get, typename Set, typename Load, typename Store>
void TranslateSlot(const TuiLanguage& language, Get get, Set set, Load load, Store store) {
  const QString current = get();
  const QVariant memory = load();
  const std::optional<Remembered> next = Retranslate(language, current, memory);
  if (!next) return;
  const QVariant nextMemory = ToVariant(*next);
  if (nextMemory != memory) store(nextMemory);
  if (next->shown != current) set(next->shown);
}

// A text of an object, remembered in a dynamic property of that object.
template <typename Get, typename Set>
void TranslateProperty(const TuiLanguage& language, QObject* object, const char* memoryName, Get get, Set set) {
  TranslateSlot(
      language, get, set, [&] { return object->property(memoryName); },
      [&](const QVariant& memory) { object->setProperty(memoryName, memory); });
}

// The memory of entry `i` of a list remembered as a whole: its own while the walk's text is still
// there, else that of an entry whose text moved here because the program inserted or removed entries.
QVariant MemoryOfEntry(const QVariantList& old, int i, const QString& current) {
  const auto shows = [&](const QVariant& entry) {
    const std::optional<Remembered> remembered = FromVariant(entry);
    return remembered && remembered->shown == current;
  };
  if (i < old.size() && shows(old[i])) return old[i];
  const auto found = std::find_if(old.begin(), old.end(), shows);
  return found == old.end() ? QVariant() : *found;
}

// The texts of a list without per-entry storage (a tab bar's tabs), remembered as one list.
template <typename Get, typename Set>
void TranslateIndexed(const TuiLanguage& language, QObject* holder, const char* memoryName, int count, Get get, Set set) {
  const QVariantList old = holder->property(memoryName).toList();
  QVariantList now;
  for (int i = 0; i < count; ++i) {
    const QString current = get(i);
    const std::optional<Remembered> next = Retranslate(language, current, MemoryOfEntry(old, i, current));
    now.push_back(next ? ToVariant(*next) : QVariant());
    if (next && next->shown != current) set(i, next->shown);
  }
  if (now != old) holder->setProperty(memoryName, now);
}

bool OptedOut(const QObject* object) { return object->property(kNoTranslateProperty).toBool(); }

class Walk {
 public:
  explicit Walk(const TuiLanguage& language) : language_(language) {}

  void Widget(QWidget* widget, bool isRoot) {
    if (visited_.contains(widget) || OptedOut(widget)) return;
    if (!isRoot && widget->property(kFormId).isValid()) return;  // translated by its own registration
    visited_.insert(widget);
    OwnTexts(widget);
    SpecialTexts(widget);
    for (QAction* action : widget->actions()) Action(action);
    const QObjectList children = widget->children();
    for (QObject* child : children)
      if (auto* childWidget = qobject_cast<QWidget*>(child)) Widget(childWidget, false);
  }

 private:
  void OwnTexts(QWidget* widget) {
    TranslateProperty(
        language_, widget, "q9OriginalToolTip", [&] { return widget->toolTip(); },
        [&](const QString& text) { widget->setToolTip(text); });
    TranslateProperty(
        language_, widget, "q9OriginalWindowTitle", [&] { return widget->windowTitle(); },
        [&](const QString& text) { widget->setWindowTitle(text); });
  }

  void SpecialTexts(QWidget* widget) {
    if (auto* label = qobject_cast<QLabel*>(widget)) {
      TranslateProperty(
          language_, label, "q9OriginalText", [&] { return label->text(); }, [&](const QString& text) { label->setText(text); });
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      TranslateProperty(
          language_, button, "q9OriginalText", [&] { return button->text(); },
          [&](const QString& text) { button->setText(text); });
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
      TranslateProperty(
          language_, group, "q9OriginalTitle", [&] { return group->title(); }, [&](const QString& text) { group->setTitle(text); });
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
      ComboItems(combo);
    } else if (auto* tabs = qobject_cast<QTabBar*>(widget)) {
      Tabs(tabs);
    } else if (auto* list = qobject_cast<QListWidget*>(widget)) {
      for (int i = 0; i < list->count(); ++i) ListItem(list->item(i));
    } else if (auto* tree = qobject_cast<QTreeWidget*>(widget)) {
      TreeItem(tree->headerItem());
      for (QTreeWidgetItemIterator it(tree); *it; ++it) TreeItem(*it);
    } else if (auto* menu = qobject_cast<QMenu*>(widget)) {
      Action(menu->menuAction());  // the menu's title
    }
  }

  void Action(QAction* action) {
    if (visited_.contains(action) || OptedOut(action)) return;
    visited_.insert(action);
    TranslateProperty(
        language_, action, "q9OriginalText", [&] { return action->text(); }, [&](const QString& text) { action->setText(text); });
    // Until a tool tip is set, QAction gives its text as the tool tip. Read after the text, such a
    // tool tip is the translated text already and is left as it is, so it keeps following the text.
    TranslateProperty(
        language_, action, "q9OriginalToolTip", [&] { return action->toolTip(); },
        [&](const QString& text) { action->setToolTip(text); });
    if (QMenu* menu = action->menu()) Widget(menu, false);
  }

  void ComboItems(QComboBox* combo) {
    for (int i = 0; i < combo->count(); ++i)
      TranslateSlot(
          language_, [&] { return combo->itemText(i); }, [&](const QString& text) { combo->setItemText(i, text); },
          [&] { return combo->itemData(i, kTextMemoryRole); },
          [&](const QVariant& memory) { combo->setItemData(i, memory, kTextMemoryRole); });
  }

  void Tabs(QTabBar* tabs) {
    TranslateIndexed(
        language_, tabs, "q9OriginalTabTexts", tabs->count(), [&](int i) { return tabs->tabText(i); },
        [&](int i, const QString& text) { tabs->setTabText(i, text); });
    TranslateIndexed(
        language_, tabs, "q9OriginalTabToolTips", tabs->count(), [&](int i) { return tabs->tabToolTip(i); },
        [&](int i, const QString& text) { tabs->setTabToolTip(i, text); });
  }

  void ListItem(QListWidgetItem* item) {
    TranslateSlot(
        language_, [&] { return item->text(); }, [&](const QString& text) { item->setText(text); },
        [&] { return item->data(kTextMemoryRole); }, [&](const QVariant& memory) { item->setData(kTextMemoryRole, memory); });
    TranslateSlot(
        language_, [&] { return item->toolTip(); }, [&](const QString& text) { item->setToolTip(text); },
        [&] { return item->data(kToolTipMemoryRole); }, [&](const QVariant& memory) { item->setData(kToolTipMemoryRole, memory); });
  }

  void TreeItem(QTreeWidgetItem* item) {
    for (int column = 0; column < item->columnCount(); ++column) {
      TranslateSlot(
          language_, [&] { return item->text(column); }, [&](const QString& text) { item->setText(column, text); },
          [&] { return item->data(column, kTextMemoryRole); },
          [&](const QVariant& memory) { item->setData(column, kTextMemoryRole, memory); });
      TranslateSlot(
          language_, [&] { return item->toolTip(column); }, [&](const QString& text) { item->setToolTip(column, text); },
          [&] { return item->data(column, kToolTipMemoryRole); },
          [&](const QVariant& memory) { item->setData(column, kToolTipMemoryRole, memory); });
    }
  }

  const TuiLanguage& language_;
  QSet<const QObject*> visited_;
};

}  // namespace

void TranslateWidgetTree(const TuiLanguage& language, QWidget* form) {
  if (form) Walk(language).Widget(form, true);
}

int RegisterFormWidgets(TuiLanguage& language, QWidget* form) {
  // The registration holds `alive`; when the language goes first, so does it, and the form's
  // destruction then has nothing to unregister.
  auto alive = std::make_shared<bool>(true);
  const QPointer<QWidget> guarded(form);
  const int id = language.RegisterForm([guarded, alive](const TuiLanguage& current) {
    if (guarded) TranslateWidgetTree(current, guarded);
  });
  form->setProperty(kFormId, id);
  QObject::connect(form, &QObject::destroyed, [&language, id, registration = std::weak_ptr<bool>(alive)] {
    if (!registration.expired()) language.UnregisterForm(id);
  });
  TranslateWidgetTree(language, form);
  return id;
}

QString TranslatedText(const TuiLanguage& language, const std::string& text) {
  return QString::fromStdString(language.Translate(text));
}

void OnLanguageChanged(TuiLanguage& language, QObject* owner, std::function<void()> update) {
  // The registration holds `alive`; when the language goes first, the owner has nothing to undo.
  auto alive = std::make_shared<bool>(true);
  const QPointer<QObject> guarded(owner);
  const int id = language.RegisterForm([guarded, alive, update = std::move(update)](const TuiLanguage&) {
    if (guarded) update();
  });
  QObject::connect(owner, &QObject::destroyed, [&language, id, registration = std::weak_ptr<bool>(alive)] {
    if (!registration.expired()) language.UnregisterForm(id);
  });
}

}  // namespace q9
