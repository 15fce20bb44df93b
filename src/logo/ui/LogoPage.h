#pragma once
#include <QString>
#include <QWidget>

namespace korva::logo::ui {

class CMyProperty;

/// One page of the logo sheet. The sheet tells a page when it becomes the
/// current one and asks it before another page is shown; a page that
/// refuses (a value out of range) keeps the user where they are.
class LogoPage : public QWidget {
    Q_OBJECT
public:
    explicit LogoPage(QWidget* parent = nullptr) : QWidget(parent) {}

    /// The tab's text.
    virtual QString Caption() const = 0;
    /// The help topic F1 opens while this page is shown.
    virtual QString HelpTopic() const = 0;

    /// The page has become the current one.
    virtual void OnSetActive() {}
    /// Another page is about to be shown or the sheet closes; false refuses.
    virtual bool OnKillActive() { return true; }
    /// The sheet's Apply, after the current page agreed to be left.
    virtual void OnApply() {}

    CMyProperty* Sheet() const { return m_Sheet; }

private:
    friend class CMyProperty;
    CMyProperty* m_Sheet = nullptr;
};

}  // namespace korva::logo::ui
