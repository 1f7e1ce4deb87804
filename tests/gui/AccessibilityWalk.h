#pragma once
// Walks a widget's accessibility tree the way a screen reader meets it.

#include <QAccessible>
#include <QObject>
#include <QStringList>

namespace q9::test {

inline bool IsInteractiveRole(QAccessible::Role role) {
  switch (role) {
    case QAccessible::Button:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::Slider:
    case QAccessible::ComboBox:
    case QAccessible::SpinBox:
    case QAccessible::EditableText:
    case QAccessible::PageTab:
      return true;
    default:
      return false;
  }
}

struct AccessibilityWalk {
  int interactive = 0;    ///< visible controls a user can operate
  QStringList unnamed;    ///< the object names of those without an accessible name
  QStringList names;      ///< the accessible names of the others, in tree order
};

/// Collects the visible interactive controls below `node`; hidden ones are not read out.
inline void WalkAccessibility(QAccessibleInterface* node, AccessibilityWalk& walk, int depth = 0) {
  if (!node || depth > 32) return;
  if (IsInteractiveRole(node->role()) && !node->state().invisible) {
    ++walk.interactive;
    const QString name = node->text(QAccessible::Name).trimmed();
    if (name.isEmpty()) {
      QObject* object = node->object();
      walk.unnamed << (object ? object->objectName() : QStringLiteral("(no object)"));
    } else {
      walk.names << name;
    }
  }
  for (int i = 0; i < node->childCount(); ++i) WalkAccessibility(node->child(i), walk, depth + 1);
}

inline AccessibilityWalk WalkAccessibility(QObject* root) {
  AccessibilityWalk walk;
  WalkAccessibility(QAccessible::queryAccessibleInterface(root), walk);
  return walk;
}

}  // namespace q9::test
