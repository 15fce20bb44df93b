#include "ui/IpField.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QStringList>

#include "netcfg/NetText.h"

namespace korva::ui {
namespace {

// Keeps every keystroke: a text that cannot become an address stays as typed
// (dropping a character would silently change the address) but is not
// acceptable, which the field shows with the cause.
class DottedValidator : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        return netcfg::AddressProblem(input.toStdString(), true).empty() ? Acceptable : Intermediate;
    }
};

void ShowRangeCue(QLineEdit* field) {
    const std::string problem = netcfg::AddressProblem(field->text().toStdString(), true);
    const QString hint = QString::fromStdString(problem);
    field->setStyleSheet(problem.empty() ? QString()
                                         : QStringLiteral("QLineEdit { border: 2px solid red; }"));
    field->setToolTip(hint);
    field->setAccessibleDescription(hint);
}

class UpperCaseValidator : public QRegularExpressionValidator {
  public:
    using QRegularExpressionValidator::QRegularExpressionValidator;
    State validate(QString& input, int& pos) const override {
        input = input.toUpper();
        return QRegularExpressionValidator::validate(input, pos);
    }
};

}  // namespace

QLineEdit* MakeIpField(QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setValidator(new DottedValidator(field));
    field->setMaxLength(31);
    field->setPlaceholderText(QStringLiteral("0.0.0.0"));
    QObject::connect(field, &QLineEdit::textChanged, field, [field] { ShowRangeCue(field); });
    return field;
}

QLineEdit* MakeHexPairField(QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setMaxLength(2);
    field->setValidator(
        new UpperCaseValidator(QRegularExpression(QStringLiteral("[0-9A-F]{0,2}")), field));
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("WWW")));
    return field;
}

}  // namespace korva::ui
