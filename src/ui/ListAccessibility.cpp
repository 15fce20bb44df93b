#include "ui/ListAccessibility.h"

#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>

namespace korva::ui {
namespace {

class NamedListAccessible : public QAccessibleWidget {
public:
    explicit NamedListAccessible(QComboBox* list) : QAccessibleWidget(list, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override {
        const auto* list = static_cast<const QComboBox*>(widget());
        switch (t) {
            case QAccessible::Name: return list->accessibleName();
            case QAccessible::Value: return list->isEditable() ? list->lineEdit()->text() : list->currentText();
            default: return QAccessibleWidget::text(t);
        }
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.editable = static_cast<const QComboBox*>(widget())->isEditable();
        return s;
    }

    QStringList actionNames() const override {
        return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override {
        if (action == showMenuAction() || action == pressAction())
            static_cast<QComboBox*>(widget())->showPopup();
        else
            QAccessibleWidget::doAction(action);
    }
};

QAccessibleInterface* NamedListFactory(const QString&, QObject* object) {
    auto* list = qobject_cast<QComboBox*>(object);
    if (list == nullptr || list->accessibleName().isEmpty()) return nullptr;
    return new NamedListAccessible(list);
}

}  // namespace

void InstallListAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(NamedListFactory);
        return true;
    }();
    (void)installed;
}

}  // namespace korva::ui
