#pragma once
#include <QLineEdit>

namespace korva::ui {

/// A read-only field for a path (the port a page sends to): it shows the
/// whole path where it fits and else the path without its start ("…/ttyUSB0"
/// keeps the device's own name), with the whole path in its tooltip and
/// accessible description. It never widens its page.
class ElidedLineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit ElidedLineEdit(QWidget* parent = nullptr);

    void SetFullText(const QString& text);
    QString FullText() const { return m_FullText; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Elide();

    QString m_FullText;
};

}  // namespace korva::ui
