#pragma once

// The about box FormInfo: the program's name and version, a check for a newer release on
// demand, the option to check at every start, and a link to the maker's site. TLabelUrl is
// the link label.

#include "shell/languages/languages.h"
#include "shell/sidewindows.h"
#include "shell/wrappingcheckbox.h"

#include <QCheckBox>
#include <QLabel>
#include <QPointer>

#include <functional>

class QPushButton;
class QTimer;
class VersionFetch;

// A label that opens its address with the desktop's handler when clicked: blue, underlined,
// a hand cursor, "Http://" until an address is set.
class TLabelUrl : public QLabel {
    Q_OBJECT
public:
    explicit TLabelUrl(QWidget *parent = nullptr);

    QString Url() const { return url_; }
    // Stores the address and shows it.
    void setUrl(const QString &url);
    // Runs before the address is opened.
    std::function<void()> OnClick;

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void click();
    QString url_;
};

class TFormInfo : public TSideForm, public LanguageAware {
    Q_OBJECT
public:
    explicit TFormInfo(QWidget *parent = nullptr);

    static constexpr int DesignWidth = 304;
    static constexpr int DesignHeight = 467;

    QLabel *Panel1;    // the maker's call sign
    QLabel *Image2;    // the program's picture: its name in Morse
    QLabel *Label1;    // name and version
    QLabel *LabelOther;
    TLabelUrl *LabelUrl3;
    QPushButton *BitBtnNewRelease;
    WrappingCheckBox *CheckBoxVersion;
    QPushButton *BitBtn1;

    void FormShow();
    void retranslate() override;
    void CheckBoxVersionClick();
    // Fetches the published version on a worker (the window stays alive meanwhile; the
    // button is disabled until the answer) and says what it found. A server that does not
    // answer within ReleaseAnswerLimitMs counts as a failure.
    void BitBtnNewReleaseClick();
    int ReleaseAnswerLimitMs = 20000;
    void BitBtn1Click();

    // The failure text of the release button in the current language.
    static QString FailureText();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void releaseAnswer(const std::string &value);
    QPointer<VersionFetch> fetch_;
    QTimer *answerLimit_;
};

extern TFormInfo *FormInfo;
