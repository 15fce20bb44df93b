#include "netcfg/ui/IpField.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QStringList>

namespace korva::netcfg::ui {
namespace {

// One number of 0..255, possibly still blank while being typed.
const QString kOctet = QStringLiteral("(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])?");

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
    const QRegularExpression pattern(kOctet + "(\\." + kOctet + "){0,3}");
    field->setValidator(new QRegularExpressionValidator(pattern, field));
    field->setPlaceholderText(QStringLiteral("0.0.0.0"));
    return field;
}

QString DottedText(const QLineEdit* field) {
    QStringList numbers = field->text().split(QLatin1Char('.'));
    while (numbers.size() < 4) numbers.append(QString());
    for (QString& number : numbers)
        if (number.isEmpty()) number = QStringLiteral("0");
    return numbers.mid(0, 4).join(QLatin1Char('.'));
}

QLineEdit* MakeHexPairField(QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setMaxLength(2);
    field->setValidator(
        new UpperCaseValidator(QRegularExpression(QStringLiteral("[0-9A-F]{0,2}")), field));
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("WWW")));
    return field;
}

}  // namespace korva::netcfg::ui
