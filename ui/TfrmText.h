#pragma once

#include "core/names/NameList.h"
#include "core/words/WebHarvest.h"
#include "core/words/WordListBuilder.h"

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace cvt {

class Prompts;
class TNetHTTP;

// The word-list dialog: English words, Chinese phrases or a dictionary, plus prefix, postfix and
// length limits; OK builds the candidate names into WordList. Created once and kept, so memos,
// fields, the page and the dictionary choice survive between showings.
class TfrmText : public QDialog {
    Q_OBJECT
public:
    // The page fetch of the Fetch button: the address in, the page (body and type) out; throws on
    // failure.
    // cancel() may be called from the GUI thread while fetch() runs on a worker and must make it end.
    struct PageSource {
        std::function<FetchedPage(const std::string& address)> fetch;
        std::function<void()> cancel;
        // Called on the dialog's thread before each fetch starts: forgets a cancel that came too
        // late for the previous fetch.
        std::function<void()> reset;
    };

    TfrmText(Prompts& prompts, QWidget* parent = nullptr);
    ~TfrmText() override;

    void SetLanguage(const std::string& code);
    const std::string& language() const { return Language; }

    // Replaces the page fetch (tests use a scripted one).
    void setPageSource(PageSource source);

    // The names built by the last OK, one entry per name.
    NameList WordList;

    // Handlers, public so that tests can drive them as the buttons do.
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void PageControl1Change(int page);

    QLabel* txtMsg = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QWidget* TabSheet3 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* edtUrl = nullptr;
    QPushButton* Button1 = nullptr;
    // Ticked: Fetch takes the words of the page's visible text and puts its Chinese runs into
    // Memo2; unticked: the words of the raw page source.
    QCheckBox* chkVisibleText = nullptr;
    QPlainTextEdit* Memo2 = nullptr;
    // Set: Chinese lines and zh-cn.dct entries read character by character instead of word by word.
    QCheckBox* chkByCharacter = nullptr;
    // What a Chinese line or zh-cn.dct entry becomes: its pinyin, the Chinese name, or both (the
    // items in the order of ChineseForm).
    QComboBox* cmbChineseAs = nullptr;
    QGroupBox* dictSelect = nullptr;
    QRadioButton* dictSelectItem0 = nullptr;
    QRadioButton* dictSelectItem1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* edtStart = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* edtEnd = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* edtMinCharNum = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* edtMaxCharNum = nullptr;
    QFrame* Bevel1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildControls();
    // What the limits and rules left out of a built list, or nothing when every word made it.
    QString leftOutNotice(const WordListBuilder::LeftOut& leftOut) const;

    Prompts& m_prompts;
    std::string Language;
    std::unique_ptr<TNetHTTP> HttpClient;
    PageSource m_pageSource;
};

} // namespace cvt
