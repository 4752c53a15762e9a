#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace cvt {

// Every caption and message that the front ends show, in two wordings. The Chinese wording is chosen
// when the language code is exactly "zh-cn" (case-sensitive); any other code gives English.
enum class Msg {
    // Main window captions.
    SearchMethod,
    RandomQueries,
    GetWordsFromText,
    Search,
    Stop,
    DomainNameColumn,
    ExtensionsColumn,
    WhoisServerColumn,
    ExportToExcel,
    ExportToText,
    ClearRegistered,
    ForceSearchFailed,
    BrowseWhoisDetails,
    ClearAllRecords,
    SettingMenu,
    LanguageMenu,
    ChineseItem,
    EnglishItem,
    HelpMenu,
    AboutItem,
    // Messages.
    SelectOneRow,
    NoWhoisServer,
    ClickSearchToStart,
    StopBeforeExit,
    EmptyPattern,
    UnclosedBracket,
    TooManyCombinations,
    // Hint line of the word-list dialog, one per page.
    WordsHintEnglishPage,
    WordsHintChinesePage,
    WordsHintDictionaryPage,
    // Word-list dialog captions.
    WordsDialogCaption,
    WordsEnglishPage,
    WordsChinesePage,
    WordsDictionaryPage,
    WordsUrlLabel,
    WordsFetchButton,
    WordsPrefixLabel,
    WordsPostfixLabel,
    WordsMinLetters,
    WordsMaxLetters,
    WordsOkButton,
    WordsCancelButton,
    WordsSelectDictionary,
    WordsChineseDictionary,
    WordsEnglishDictionary,
    WordsReadByCharacter,
    WordsChineseAsPinyin,
    WordsChineseAsIdn,
    WordsChineseAsBoth,
    // Progress boxes of the desktop program.
    ProgressFetchingPage,
    ProgressAskingWhois,
    // The word-list dialog's tick box beside Fetch.
    WordsVisibleTextOnly,
    ProgressExporting,
    // Search while the list of names is being prepared.
    PreparingNames,
    // The tooltip of the status panel counting the cells DNS settled.
    DnsSettledTip,
    DnsThroughResolvers,
    // The main window's additions: the copy commands, the filter, the closing texts, the marks'
    // tooltips and the question before results are discarded.
    CopyFreeNames,
    FilterAll,
    FilterFree,
    FilterRegistered,
    FilterFailed,
    FilterNamePlaceholder,
    RunDoneIn,
    RunStopped,
    MarkFree,
    MarkRegistered,
    MarkFailed,
    DiscardResults,
    DurationMinutesSeconds,
    DurationSeconds,
    // The main window's guidance: the pattern box's example, the tooltips, the Help page and the
    // Results menu with its shortcuts.
    PatternPlaceholder,
    PatternTip,
    RandomQueriesTip,
    TextQueriesTip,
    SearchTip,
    StopTip,
    ServerTableTip,
    // The suffix picker over the server table.
    AskedByColumn,
    AskedRdap,
    AskedWhois,
    AskedWhoisCalibrated,
    AskedConfigIni,
    NotCalibratedYet,
    CalibratedOn,
    PickerTicked,
    PickerPopular,
    PickerGeneric,
    PickerCountry,
    PickerChinese,
    PickerAll,
    SuffixSearchPlaceholder,
    SuffixSearchTip,
    TickedCount,
    TickShown,
    TickShownTip,
    ClearTicks,
    ClearTicksTip,
    FilterKindTip,
    CountsTip,
    ProgressTip,
    HelpTopicsItem,
    HelpText,
    ResultsMenu,
    SearchItem,
    FilterItem,
    UndoItem,
    RowsShownOf,
    // Closing during a run: the second button of the stop-first box.
    StopAndQuit,
    // The lane view and the progress of a run counted in cells.
    CellsProgress,
    LaneServerColumn,
    LaneStateColumn,
    LaneAnsweredColumn,
    LaneRefusalsColumn,
    LaneAsking,
    LaneWaitingPace,
    LaneBackingOff,
    LaneCalibrating,
    LaneDone,
    LaneIdle,
    BackingOffStatus,
    // The word-list builder's notice of the words its limits and rules left out.
    WordsLeftOut,
    WordsLeftOutByLength,
    WordsLeftOutWithSpace,
    // The window's notice of the names a run's list left out.
    NamesLeftOut,
    NamesLeftOutControl,
    NamesLeftOutUndecodable,
    NamesLeftOutInternational,
    // The About box's paragraph and title in the window's language.
    AboutTitle,
    AboutText,
    AboutCaption,
    AboutCredit1,
    AboutCredit2,
    // The results journal in the window.
    ResumeOffer,
    ResumeNotPossible,
    JournalNotUsed,
    JournalNotice,
    HistoryItem,
    HistoryCaption,
    HistoryOpen,
    HistoryStartedColumn,
    HistoryStateColumn,
    HistoryCellsColumn,
    HistorySuffixesColumn,
    HistoryNamesColumn,
    HistoryFinished,
    HistoryUnfinished,
    HistoryCellsOf,
    HistoryShown,
    HistoryNotRead,
};

bool isChinese(std::string_view languageCode);

// The wording of a caption or message for the given language code, as UTF-8.
const char* message(Msg id, std::string_view languageCode);

// message() with "%s" (or "%d") placeholders replaced by the arguments in order.
std::string formatMessage(Msg id, std::string_view languageCode, std::initializer_list<std::string_view> args);

} // namespace cvt
