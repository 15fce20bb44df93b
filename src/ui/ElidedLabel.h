#pragma once
#include <QLabel>

namespace korva::ui {

/// A label for a text whose lines may be long (a device path): it never
/// widens its box, shows each line whole where it fits and else without its
/// start, and keeps the whole text in its tooltip and accessible description.
class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    void SetFullText(const QString& text);
    QString FullText() const { return m_FullText; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Elide();

    QString m_FullText;
};

}  // namespace korva::ui
