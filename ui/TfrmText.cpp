#include "ui/TfrmText.h"

#include "config/DataFolders.h"
#include "core/words/WebHarvest.h"
#include "core/words/WordListBuilder.h"
#include "net/http/TNetHTTP.h"
#include "text/TextUtil.h"
#include "ui/ProgressBox.h"
#include "ui/Prompts.h"
#include "ui/TypedCharFilter.h"
#include "ui/UiText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QTabWidget>
#include <algorithm>
#include <stdexcept>
#include <utility>

namespace cvt {

namespace {

QLabel* rightAlignedLabel(QWidget* parent, const char* name, int left, int width) {
    auto* label = named(new QLabel(parent), name);
    label->setGeometry(left, 352, width, 17);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QLineEdit* field(QWidget* parent, const char* name, int left, int width) {
    auto* edit = named(new QLineEdit(parent), name);
    edit->setGeometry(left, 348, width, 21);
    return edit;
}

constexpr QSize kDialogSize(464, 418);
// The property holding a control's top at the classic size.
constexpr const char* kBaseTop = "baseTop";
constexpr const char* kBaseLeft = "baseLeft";
constexpr const char* kBaseWidth = "baseWidth";

} // namespace

TfrmText::TfrmText(Prompts& prompts, QWidget* parent)
    : QDialog(parent), m_prompts(prompts), HttpClient(std::make_unique<TNetHTTP>()) {
    // The Fetch button asks the dialog's own HTTP client, set up as every page fetch is; cancelling
    // breaks off its exchange.
    setUpHarvestClient(*HttpClient);
    m_pageSource.fetch = [this](const std::string& address) { return FetchPageWithType(address, *HttpClient); };
    m_pageSource.cancel = [this] { HttpClient->Cancel(); };
    m_pageSource.reset = [this] { HttpClient->ClearCancel(); };
    setObjectName(QStringLiteral("frmText"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint);
    // The classic size is the first and the smallest; the pages and the memos take what it gains.
    setMinimumSize(kDialogSize);
    resize(kDialogSize);
    buildControls();
    SetLanguage({});
}

TfrmText::~TfrmText() = default;

void TfrmText::buildControls() {
    txtMsg = named(new QLabel(this), "txtMsg");
    txtMsg->setGeometry(8, 0, 449, 25);
    txtMsg->setWordWrap(true);
    txtMsg->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    PageControl1 = named(new QTabWidget(this), "PageControl1");
    PageControl1->setGeometry(8, 32, 441, 305);

    TabSheet1 = named(new QWidget, "TabSheet1");
    Memo1 = named(new QPlainTextEdit(TabSheet1), "Memo1");
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setPlainText(QStringLiteral("abend\nabide\nability\nable"));
    Label1 = named(new QLabel(TabSheet1), "Label1");
    Label1->move(16, 248);
    edtUrl = named(new QLineEdit(QStringLiteral("http://"), TabSheet1), "edtUrl");
    edtUrl->setGeometry(48, 244, 170, 21);
    chkVisibleText = named(new QCheckBox(TabSheet1), "chkVisibleText");
    chkVisibleText->setGeometry(224, 246, 124, 17);
    chkVisibleText->setChecked(true);
    Button1 = named(new QPushButton(TabSheet1), "Button1");
    Button1->setGeometry(352, 242, 75, 25);
    Button1->setAutoDefault(false);
    // The memo fills the page's width above the address row.
    TabSheet1->installEventFilter(this);
    PageControl1->addTab(TabSheet1, QString());

    TabSheet2 = named(new QWidget, "TabSheet2");
    Memo2 = named(new QPlainTextEdit(TabSheet2), "Memo2");
    Memo2->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo2->setPlainText(QStringLiteral("梦境\n萝卜\n东方"));
    chkByCharacter = named(new QCheckBox(TabSheet2), "chkByCharacter");
    cmbChineseAs = named(new QComboBox(TabSheet2), "cmbChineseAs");
    cmbChineseAs->addItems({QString(), QString(), QString()});
    TabSheet2->installEventFilter(this);
    PageControl1->addTab(TabSheet2, QString());

    TabSheet3 = named(new QWidget, "TabSheet3");
    dictSelect = named(new QGroupBox(TabSheet3), "dictSelect");
    dictSelect->setGeometry(16, 56, 353, 113);
    dictSelectItem0 = named(new QRadioButton(dictSelect), "dictSelectItem0");
    dictSelectItem0->setGeometry(12, 28, 320, 21);
    dictSelectItem1 = named(new QRadioButton(dictSelect), "dictSelectItem1");
    dictSelectItem1->setGeometry(12, 60, 320, 21);
    dictSelectItem0->setChecked(true);
    PageControl1->addTab(TabSheet3, QString());

    Label2 = rightAlignedLabel(this, "Label2", 0, 41);
    edtStart = field(this, "edtStart", 40, 49);
    Label3 = rightAlignedLabel(this, "Label3", 88, 40);
    edtEnd = field(this, "edtEnd", 128, 57);
    Label4 = rightAlignedLabel(this, "Label4", 200, 89);
    edtMinCharNum = field(this, "edtMinCharNum", 288, 41);
    edtMinCharNum->setText(QStringLiteral("4"));
    Label5 = rightAlignedLabel(this, "Label5", 328, 81);
    edtMaxCharNum = field(this, "edtMaxCharNum", 408, 41);
    edtMaxCharNum->setText(QStringLiteral("8"));
    auto* affixFilter = new TypedCharFilter(&TypedCharFilter::affixChar, this);
    edtStart->setValidator(affixFilter);
    edtEnd->setValidator(affixFilter);
    auto* digitFilter = new TypedCharFilter(&TypedCharFilter::digitChar, this);
    edtMinCharNum->setValidator(digitFilter);
    edtMaxCharNum->setValidator(digitFilter);
    // The fields take plain keys only: an input method would compose characters they refuse anyway.
    for (QLineEdit* edit : {edtStart, edtEnd, edtMinCharNum, edtMaxCharNum}) {
        edit->setAttribute(Qt::WA_InputMethodEnabled, false);
    }

    Bevel1 = named(new QFrame(this), "Bevel1");
    Bevel1->setGeometry(0, 373, 464, 2);
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);

    Button2 = named(new QPushButton(this), "Button2");
    Button2->setGeometry(279, 384, 75, 25);
    Button3 = named(new QPushButton(this), "Button3");
    Button3->setGeometry(367, 384, 75, 25);
    // Neither button answers Enter on its own.
    for (QPushButton* button : {Button2, Button3}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    // Where the controls below the pages stand at the classic size.
    for (QWidget* control :
         std::initializer_list<QWidget*>{Label1, edtUrl, chkVisibleText, Button1, Label2, edtStart, Label3, edtEnd,
                                         Label4, edtMinCharNum, Label5, edtMaxCharNum, Bevel1, Button2, Button3}) {
        control->setProperty(kBaseTop, control->y());
        control->setProperty(kBaseLeft, control->x());
        control->setProperty(kBaseWidth, control->width());
    }

    setTabOrder(PageControl1, edtStart);
    setTabOrder(edtStart, edtEnd);
    setTabOrder(edtEnd, edtMinCharNum);
    setTabOrder(edtMinCharNum, edtMaxCharNum);
    setTabOrder(edtMaxCharNum, Button2);
    setTabOrder(Button2, Button3);
    PageControl1->setFocus();

    connect(PageControl1, &QTabWidget::currentChanged, this, &TfrmText::PageControl1Change);
    connect(Button1, &QPushButton::clicked, this, &TfrmText::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TfrmText::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TfrmText::Button3Click);
}

void TfrmText::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (Button3 == nullptr) {
        return; // not built yet
    }
    // The hint and the pages take the width and height gained; the fields' row, the line and the
    // buttons keep to the foot, the buttons to the right edge.
    const int wider = width() - kDialogSize.width();
    const int taller = height() - kDialogSize.height();
    txtMsg->resize(449 + wider, txtMsg->height());
    PageControl1->resize(441 + wider, 305 + taller);
    for (QWidget* control : std::initializer_list<QWidget*>{Label2, edtStart, Label3, edtEnd, Label4, edtMinCharNum,
                                                            Label5, edtMaxCharNum, Bevel1, Button2, Button3}) {
        control->move(control->x(), control->property(kBaseTop).toInt() + taller);
    }
    // The labels of the fields' row share the width gained, so their captions get room.
    const std::pair<QLabel*, QLineEdit*> row[] = {
        {Label2, edtStart}, {Label3, edtEnd}, {Label4, edtMinCharNum}, {Label5, edtMaxCharNum}};
    for (int group = 0; group < 4; ++group) {
        const auto& [label, edit] = row[group];
        const int before = std::max(0, wider) * group / 4;
        const int after = std::max(0, wider) * (group + 1) / 4;
        label->setGeometry(label->property(kBaseLeft).toInt() + before, label->y(),
                           label->property(kBaseWidth).toInt() + after - before, label->height());
        edit->move(edit->property(kBaseLeft).toInt() + after, edit->y());
    }
    Bevel1->resize(464 + wider, Bevel1->height());
    Button2->move(279 + wider, Button2->y());
    Button3->move(367 + wider, Button3->y());
}

bool TfrmText::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize) {
        if (watched == TabSheet1) {
            // The memo fills the page above the address row, which keeps to the page's foot.
            const int grown = std::max(0, height() - kDialogSize.height());
            Memo1->setGeometry(0, 0, TabSheet1->width(), 233 + grown);
            for (QWidget* control : std::initializer_list<QWidget*>{Label1, edtUrl, chkVisibleText, Button1}) {
                control->move(control->x(), control->property(kBaseTop).toInt() + grown);
            }
        } else if (watched == TabSheet2) {
            // The memo fills the page above the tick box.
            constexpr int kTickRow = 28;
            Memo2->setGeometry(0, 0, TabSheet2->width(), std::max(0, TabSheet2->height() - kTickRow));
            const int half = TabSheet2->width() / 2;
            chkByCharacter->setGeometry(8, TabSheet2->height() - kTickRow + 4, half - 16, 21);
            cmbChineseAs->setGeometry(half, TabSheet2->height() - kTickRow + 2, half - 8, 24);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmText::SetLanguage(const std::string& code) {
    Language = code;
    setWindowTitle(uiText(Msg::WordsDialogCaption, code));
    PageControl1->setTabText(0, uiText(Msg::WordsEnglishPage, code));
    PageControl1->setTabText(1, uiText(Msg::WordsChinesePage, code));
    PageControl1->setTabText(2, uiText(Msg::WordsDictionaryPage, code));
    Label1->setText(uiText(Msg::WordsUrlLabel, code));
    Label1->adjustSize();
    Button1->setText(uiText(Msg::WordsFetchButton, code));
    chkVisibleText->setText(uiText(Msg::WordsVisibleTextOnly, code));
    Label2->setText(uiText(Msg::WordsPrefixLabel, code));
    Label3->setText(uiText(Msg::WordsPostfixLabel, code));
    Label4->setText(uiText(Msg::WordsMinLetters, code));
    Label5->setText(uiText(Msg::WordsMaxLetters, code));
    Button2->setText(uiText(Msg::WordsOkButton, code));
    Button3->setText(uiText(Msg::WordsCancelButton, code));
    // The English page's hint, whichever page is showing.
    txtMsg->setText(uiText(Msg::WordsHintEnglishPage, code));
    dictSelect->setTitle(uiText(Msg::WordsSelectDictionary, code));
    dictSelectItem0->setText(uiText(Msg::WordsChineseDictionary, code));
    dictSelectItem1->setText(uiText(Msg::WordsEnglishDictionary, code));
    chkByCharacter->setText(uiText(Msg::WordsReadByCharacter, code));
    cmbChineseAs->setItemText(0, uiText(Msg::WordsChineseAsPinyin, code));
    cmbChineseAs->setItemText(1, uiText(Msg::WordsChineseAsIdn, code));
    cmbChineseAs->setItemText(2, uiText(Msg::WordsChineseAsBoth, code));
}

void TfrmText::setPageSource(PageSource source) {
    m_pageSource = std::move(source);
}

void TfrmText::PageControl1Change(int page) {
    static constexpr Msg kHints[] = {Msg::WordsHintEnglishPage, Msg::WordsHintChinesePage,
                                     Msg::WordsHintDictionaryPage};
    if (page >= 0 && page < 3) {
        txtMsg->setText(uiText(kHints[page], Language));
    }
}

void TfrmText::Button1Click() {
    if (!m_pageSource.fetch) {
        return;
    }
    const std::string address(trim(toStdString(edtUrl->text())));
    FetchedPage page;
    if (m_pageSource.reset) {
        m_pageSource.reset();
    }
    ProgressBox box(this, windowTitle(), uiText(Msg::ProgressFetchingPage, Language), m_pageSource.cancel);
    box.setCancelText(uiText(Msg::WordsCancelButton, Language));
    try {
        box.run([&] { page = m_pageSource.fetch(address); });
    } catch (const std::exception& failure) {
        // The memo keeps its words: it is replaced only once a page has arrived.
        if (!box.cancelRequested()) {
            m_prompts.error(this, toQString(failure.what()));
        }
        return;
    }
    if (box.cancelRequested()) {
        return;
    }
    const PageHarvest harvest = HarvestPage(page, chkVisibleText->isChecked());
    auto joined = [](const auto& lines) {
        std::string text;
        for (const auto& line : lines) {
            text.append(text.empty() ? "" : "\n").append(line);
        }
        return toQString(text);
    };
    Memo1->setPlainText(joined(harvest.words));
    // A page without Chinese leaves the Chinese page's list as it was.
    if (!harvest.hanRuns.empty()) {
        Memo2->setPlainText(joined(harvest.hanRuns));
    }
}

QString TfrmText::leftOutNotice(const WordListBuilder::LeftOut& leftOut) const {
    std::string parts;
    const auto add = [&](const std::string& part) {
        parts += (parts.empty() || isChinese(Language) ? "" : " ") + part;
    };
    if (leftOut.byLength > 0) {
        add(formatMessage(Msg::WordsLeftOutByLength, Language,
                          {trim(toStdString(edtMinCharNum->text())), trim(toStdString(edtMaxCharNum->text())),
                           std::to_string(leftOut.byLength), leftOut.lengthExample,
                           std::to_string(leftOut.lengthExample.size())}));
    }
    if (leftOut.withSpace > 0) {
        add(formatMessage(Msg::WordsLeftOutWithSpace, Language,
                          {std::to_string(leftOut.withSpace), leftOut.spaceExample}));
    }
    return parts.empty() ? QString() : toQString(formatMessage(Msg::WordsLeftOut, Language, {parts}));
}

void TfrmText::Button2Click() {
    WordList.clear();
    WordListRequest request;
    switch (PageControl1->currentIndex()) {
    case 1:
        request.page = WordPage::Chinese;
        request.lines = WordListBuilder::splitMemoLines(toStdString(Memo2->toPlainText()));
        break;
    case 2:
        request.page = WordPage::Dictionary;
        request.dictionary = dictSelectItem1->isChecked() ? DictionaryKind::English : DictionaryKind::Chinese;
        request.dictionaryFolder = dataFolderHolding(DictionaryFile::fileName(request.dictionary));
        break;
    default:
        request.page = WordPage::English;
        request.lines = WordListBuilder::splitMemoLines(toStdString(Memo1->toPlainText()));
        break;
    }
    request.prefix = toStdString(edtStart->text());
    request.postfix = toStdString(edtEnd->text());
    request.minimum = toStdString(edtMinCharNum->text());
    request.maximum = toStdString(edtMaxCharNum->text());
    request.reading = chkByCharacter->isChecked() ? PinyinReading::ByCharacter : PinyinReading::ByPhrase;
    request.chineseAs = static_cast<ChineseForm>(cmbChineseAs->currentIndex());
    try {
        WordListBuilder builder(std::move(request));
        WordList = builder.build();
        // Said before the run starts, so no word goes missing unnoticed.
        if (const QString notice = leftOutNotice(builder.leftOut()); !notice.isEmpty()) {
            m_prompts.information(this, notice);
        }
    } catch (const std::exception& failure) {
        // The dialog still closes with OK, handing back no names.
        WordList.clear();
        m_prompts.error(this, toQString(failure.what()));
    }
    accept();
}

void TfrmText::Button3Click() {
    WordList.clear();
    reject();
}

} // namespace cvt
