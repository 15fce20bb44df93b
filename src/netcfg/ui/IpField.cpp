#include "netcfg/ui/IpField.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QStringList>

namespace korva::netcfg::ui {
namespace {

// Up to four dotted numbers of up to three digits. A number above 255 is
// kept as typed (dropping the digit would silently change the address) but
// makes the text unacceptable, which the field shows.
class DottedValidator : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        static const QRegularExpression shape(QStringLiteral("^[0-9]{0,3}(\\.[0-9]{0,3}){0,3}$"));
        if (!shape.match(input).hasMatch()) return Invalid;
        for (const QString& number : input.split(QLatin1Char('.')))
            if (number.toInt() > 255) return Intermediate;
        return Acceptable;
    }
};

constexpr const char* kRangeHint = "Each number is 0 ~ 255";

void ShowRangeCue(QLineEdit* field) {
    const bool bad = !field->hasAcceptableInput();
    field->setStyleSheet(bad ? QStringLiteral("QLineEdit { border: 2px solid red; }") : QString());
    field->setToolTip(bad ? QString::fromLatin1(kRangeHint) : QString());
    field->setAccessibleDescription(bad ? QString::fromLatin1(kRangeHint) : QString());
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
    field->setPlaceholderText(QStringLiteral("0.0.0.0"));
    QObject::connect(field, &QLineEdit::textChanged, field, [field] { ShowRangeCue(field); });
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
