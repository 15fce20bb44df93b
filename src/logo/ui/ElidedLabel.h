#pragma once
#include <QLabel>

namespace korva::logo::ui {

/// A one-line label for a text that may be long (a device path): it never
/// widens its box, shortens the text in the middle to its width, and keeps
/// the whole text in its tooltip and accessible description.
class CElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit CElidedLabel(QWidget* parent = nullptr);

    void SetFullText(const QString& text);
    QString FullText() const { return m_FullText; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Elide();

    QString m_FullText;
};

}  // namespace korva::logo::ui
