// The main window's suffix picker: the search box, the group choice, the count of ticked suffixes,
// the server table and its buttons, and how the ticks become the result columns.

#include "core/query/QueryEngine.h"
#include "ui/ResultFilterModel.h"
#include "ui/ResultTableModel.h"
#include "ui/ServerTableModel.h"
#include "ui/SuffixFilterModel.h"
#include "ui/TfrmWhoisMain.h"
#include "ui/UiText.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTreeView>
#include <QVBoxLayout>

namespace cvt {

namespace {

constexpr int kServerTableWidth = 233;
// Below this width a mark column no longer shows its caption and mark comfortably.
constexpr int kMarkColumnLeast = 44;

} // namespace

QWidget* TfrmWhoisMain::buildSuffixPicker(QWidget* parent) {
    auto* side = named(new QWidget(parent), "ServerSide");
    side->setMinimumWidth(kServerTableWidth);
    auto* rows = new QVBoxLayout(side);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(4);

    edtSuffixSearch = named(new QLineEdit(side), "edtSuffixSearch");
    edtSuffixSearch->setClearButtonEnabled(true);
    rows->addWidget(edtSuffixSearch);

    auto* groupRow = new QHBoxLayout;
    groupRow->setSpacing(6);
    cbSuffixGroup = named(new QComboBox(side), "cbSuffixGroup");
    cbSuffixGroup->addItems({QString(), QString(), QString(), QString(), QString(), QString()});
    lblTicked = named(new QLabel(side), "lblTicked");
    groupRow->addWidget(cbSuffixGroup, 1);
    groupRow->addWidget(lblTicked);
    rows->addLayout(groupRow);

    m_suffixFilter = std::make_unique<SuffixFilterModel>(*m_servers);
    m_suffixFilter->setGroup(SuffixFilterModel::Group::Popular);
    cbSuffixGroup->setCurrentIndex(static_cast<int>(SuffixFilterModel::Group::Popular));
    lvWhois = named(new QTreeView(side), "lvWhois");
    lvWhois->setModel(m_suffixFilter.get());
    lvWhois->setRootIsDecorated(false);
    lvWhois->setItemsExpandable(false);
    lvWhois->setUniformRowHeights(true);
    lvWhois->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvWhois->setSelectionMode(QAbstractItemView::SingleSelection);
    lvWhois->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    lvWhois->header()->setSectionsMovable(false);
    // The second column takes the rest of the width, so the table never scrolls sideways.
    lvWhois->setColumnWidth(0, 90);
    rows->addWidget(lvWhois, 1);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->setSpacing(6);
    btnTickShown = named(new QPushButton(side), "btnTickShown");
    btnClearTicks = named(new QPushButton(side), "btnClearTicks");
    for (QPushButton* button : {btnTickShown, btnClearTicks}) {
        button->setAutoDefault(false);
        buttonRow->addWidget(button);
    }
    buttonRow->addStretch(1);
    rows->addLayout(buttonRow);

    connect(edtSuffixSearch, &QLineEdit::textChanged, m_suffixFilter.get(), &SuffixFilterModel::setSearchText);
    connect(cbSuffixGroup, &QComboBox::currentIndexChanged, this, [this](int group) {
        m_suffixFilter->setGroup(static_cast<SuffixFilterModel::Group>(std::clamp(group, 0, 5)));
    });
    connect(btnTickShown, &QPushButton::clicked, this, &TfrmWhoisMain::btnTickShownClick);
    connect(btnClearTicks, &QPushButton::clicked, this, &TfrmWhoisMain::btnClearTicksClick);
    return side;
}

void TfrmWhoisMain::lvWhoisChange() {
    // Ticked entries in the order they were ticked: the result columns and the lanes follow it.
    const std::vector<ServerEntry> entries = m_servers->runEntries();
    m_engine->setServerEntries(entries);
    m_results->alignSuffixColumns(entries);
    showTickedCount();
}

void TfrmWhoisMain::btnTickShownClick() {
    m_servers->setTickedRows(m_suffixFilter->shownRows(), true);
}

void TfrmWhoisMain::btnClearTicksClick() {
    // Every mark column goes with the ticks: results there are dropped only when the person agrees.
    if (m_servers->tickedCount() == 0 || !discardAllowed()) {
        return;
    }
    m_servers->replaceTicks({});
    if (m_suffixFilter->group() == SuffixFilterModel::Group::Ticked) {
        m_suffixFilter->refresh();
    }
}

void TfrmWhoisMain::showTickedCount() {
    lblTicked->setText(
        toQString(formatMessage(Msg::TickedCount, Language, {std::to_string(m_servers->tickedCount())})));
}

void TfrmWhoisMain::fitMarkColumns() {
    QHeaderView* header = lvDomain->horizontalHeader();
    const int marks = header->count() - 1;
    // Side by side while each mark column keeps a readable width; beyond, each keeps the default
    // width and the table scrolls sideways.
    const bool fit = marks <= 0 || 120 + marks * kMarkColumnLeast <= lvDomain->viewport()->width();
    const QHeaderView::ResizeMode mode = fit ? QHeaderView::Stretch : QHeaderView::Interactive;
    if (marks > 0 && header->sectionResizeMode(1) != mode) {
        const int nameWidth = header->sectionSize(0);
        header->setSectionResizeMode(mode);
        header->setSectionResizeMode(0, QHeaderView::Interactive);
        header->resizeSection(0, nameWidth);
        if (!fit) {
            for (int column = 1; column <= marks; ++column) {
                header->resizeSection(column, header->defaultSectionSize());
            }
        }
    }
}

} // namespace cvt
