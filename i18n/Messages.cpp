#include "i18n/Messages.h"

#include <array>

namespace cvt {

namespace {

struct Wording {
    Msg id;
    const char* chinese;
    const char* english;
};

// Keep in the order of the enumeration.
constexpr std::array kWordings = {
    Wording{Msg::SearchMethod, "选择查询方式", "Search Method"},
    Wording{Msg::RandomQueries, "随机组合查询", "Random queries"},
    Wording{Msg::GetWordsFromText, "文本查询", "Get words from text"},
    Wording{Msg::Search, "搜索", "Search"},
    Wording{Msg::Stop, "停止", "Stop"},
    Wording{Msg::DomainNameColumn, "域名", "Domain Name"},
    Wording{Msg::ExtensionsColumn, "域名后缀", "Extensions"},
    Wording{Msg::WhoisServerColumn, "域名服务器", "Whois Server"},
    Wording{Msg::ExportToExcel, "导出到Excel", "Export to Excel"},
    Wording{Msg::ExportToText, "导出到.txt文件", "Export to .txt file"},
    Wording{Msg::ClearRegistered, "清除已注册域名", "Clear Registered-DomainName"},
    Wording{Msg::ForceSearchFailed, "重搜查询失败域名", "Force to search failed domain!"},
    Wording{Msg::BrowseWhoisDetails, "查看Whois信息", "Browse Whois details"},
    Wording{Msg::ClearAllRecords, "清除所有记录", "Clear All Records"},
    Wording{Msg::SettingMenu, "设置(&S)", "&Setting"},
    Wording{Msg::LanguageMenu, "语言(&L)", "&Language"},
    Wording{Msg::ChineseItem, "简体中文", "简体中文"},
    Wording{Msg::EnglishItem, "&English", "&English"},
    Wording{Msg::HelpMenu, "帮助(&H)", "&Help"},
    Wording{Msg::AboutItem, "关于(&A)...", "&About..."},
    Wording{Msg::SelectOneRow, "请选择一行", "Please select one row!"},
    Wording{Msg::NoWhoisServer, "请选择一个域名服务器!", "Please select some domain extensions(whois server)"},
    Wording{Msg::ClickSearchToStart, "点击“搜索”按钮开始", "Click 'search' button to start! "},
    Wording{Msg::StopBeforeExit, "退出前请先停止搜索！", "Sorry,Please stop to search before exit!"},
    // One wording only, the same in both languages.
    Wording{Msg::EmptyPattern, "请填写查询组合，如[a-z]phone等组合！", "请填写查询组合，如[a-z]phone等组合！"},
    Wording{Msg::UnclosedBracket, "查询组合中的“[”没有对应的“]”，请补上“]”后再搜索！",
            "The pattern has a \"[\" without a closing \"]\". Please close it and search again."},
    Wording{Msg::TooManyCombinations, "查询组合会产生%s个域名，超过上限16777216个，请缩小查询范围！",
            "The pattern gives %s names, more than the limit of 16777216. Please narrow it down."},
    Wording{Msg::WordsHintEnglishPage, "从指定网页上搜索单词或粘贴文本（每行一个单词）",
            "Fetch words from a specified page or paste the text (one word per line)!"},
    Wording{Msg::WordsHintChinesePage, "粘贴中文词组（每行一个词组）",
            "Paste Simplified-Chinese phrases (one phrase per line)"},
    Wording{Msg::WordsHintDictionaryPage, "选择词典", "Select one dictionary"},
    Wording{Msg::WordsDialogCaption, "设置文本内容", "Fetch words from text"},
    Wording{Msg::WordsEnglishPage, "英文", "English"},
    Wording{Msg::WordsChinesePage, "中文", "Chinese"},
    Wording{Msg::WordsDictionaryPage, "字典", "Dictionary"},
    Wording{Msg::WordsUrlLabel, "网址：", "Url:"},
    Wording{Msg::WordsFetchButton, "抓取", "Fetch"},
    Wording{Msg::WordsPrefixLabel, "前缀", "Prefix"},
    Wording{Msg::WordsPostfixLabel, "后缀", "Postfix"},
    Wording{Msg::WordsMinLetters, "最少字母数", "Min Letters"},
    Wording{Msg::WordsMaxLetters, "最多字母数", "Max Letters"},
    Wording{Msg::WordsOkButton, "确定", "Ok"},
    Wording{Msg::WordsCancelButton, "取消", "Cancel"},
    Wording{Msg::WordsSelectDictionary, "选择字典", "Select Dictionary"},
    Wording{Msg::WordsChineseDictionary, "简体中文字典", "Simplified-Chinese Dictionary"},
    Wording{Msg::WordsEnglishDictionary, "英文词典", "English Dictionary"},
    Wording{Msg::WordsReadByCharacter, "逐字注音", "Read by character"},
    Wording{Msg::WordsChineseAsPinyin, "转为拼音", "As pinyin"},
    Wording{Msg::WordsChineseAsIdn, "中文域名", "As Chinese names"},
    Wording{Msg::WordsChineseAsBoth, "拼音和中文域名", "Pinyin and Chinese names"},
    Wording{Msg::ProgressFetchingPage, "正在抓取网页……", "Fetching the page..."},
    Wording{Msg::ProgressAskingWhois, "正在查询Whois信息……", "Asking the WHOIS servers..."},
    Wording{Msg::WordsVisibleTextOnly, "仅可见文字", "Visible text only"},
    Wording{Msg::ProgressExporting, "正在导出……", "Exporting..."},
    Wording{Msg::PreparingNames, "正在准备域名列表……", "Preparing the list of names..."},
    Wording{Msg::DnsSettledTip, "已在DNS中查到委派、无需查询注册局的格数",
            "Cells found delegated in DNS, not asked of the registry"},
    Wording{Msg::DnsThroughResolvers, "DNS：后缀目录中没有 %s 的名称服务器，改经系统的解析器查询",
            "DNS: the suffix catalogue has no name servers for %s; they are asked through the system's resolvers"},
    Wording{Msg::CopyFreeNames, "复制可注册域名", "Copy free names"},
    Wording{Msg::FilterAll, "全部", "All"},
    Wording{Msg::FilterFree, "可注册", "Free"},
    Wording{Msg::FilterRegistered, "已注册", "Registered"},
    Wording{Msg::FilterFailed, "查询失败", "Failed"},
    Wording{Msg::FilterNamePlaceholder, "筛选域名", "Filter names"},
    Wording{Msg::RunDoneIn, "完成，用时 %s", "Done in %s"},
    Wording{Msg::RunStopped, "已停止", "Stopped"},
    Wording{Msg::MarkFree, "可注册", "free"},
    Wording{Msg::MarkRegistered, "已注册", "registered"},
    Wording{Msg::MarkFailed, "查询失败", "failed"},
    Wording{Msg::DiscardResults, "放弃 %d 条结果？", "Discard %d results?"},
    Wording{Msg::DurationMinutesSeconds, "%d 分 %d 秒", "%d min %d s"},
    Wording{Msg::DurationSeconds, "%d 秒", "%d s"},
    Wording{Msg::PatternPlaceholder, "例如 [a-z]phone", "e.g. [a-z]phone"},
    Wording{Msg::PatternTip,
            "查询组合：字母、数字和“-”代表自身；[a-z]、[0-9] 依次代入范围内每个字符；[abc] 依次代入所列字符。"
            "例如 [a-z]phone 产生 aphone 到 zphone。",
            "The name pattern: letters, digits and \"-\" stand for themselves; [a-z] or [0-9] tries every "
            "character of the range, [abc] each character listed. [a-z]phone gives aphone to zphone."},
    Wording{Msg::RandomQueriesTip, "查询查询组合产生的每个域名", "Ask every name the pattern in the box gives"},
    Wording{Msg::TextQueriesTip, "从网页、粘贴的文本、中文词组或词典生成域名列表后查询",
            "Build the names from a web page, pasted text, Chinese phrases or a dictionary, then ask them"},
    Wording{Msg::SearchTip, "开始查询（Ctrl+Enter）。查询组合框中有内容且没有正在进行的查询时可用。",
            "Start the search (Ctrl+Enter). Available when the pattern box holds a pattern and no search is "
            "running."},
    Wording{Msg::StopTip, "停止查询（Esc），正在进行的交换会先完成",
            "Stop the search (Esc); the exchanges under way finish first"},
    Wording{Msg::ServerTableTip, "勾选要查询的域名后缀；每行的服务器负责该后缀",
            "Tick the suffixes to ask; each row's server answers for its suffix"},
    Wording{Msg::AskedByColumn, "查询方式", "Asked by"},
    Wording{Msg::AskedRdap, "RDAP", "RDAP"},
    Wording{Msg::AskedWhois, "WHOIS", "WHOIS"},
    Wording{Msg::AskedWhoisCalibrated, "WHOIS（已校准）", "WHOIS calibrated"},
    Wording{Msg::AskedConfigIni, "Config.ini", "Config.ini"},
    Wording{Msg::NotCalibratedYet, "尚未从服务器的答复得出未注册标记", "No no-match text derived from its replies yet"},
    Wording{Msg::CalibratedOn, "未注册标记于 %s 从服务器的答复得出", "No-match text derived from its replies on %s"},
    Wording{Msg::PickerTicked, "已勾选", "Ticked"},
    Wording{Msg::PickerPopular, "热门", "Popular"},
    Wording{Msg::PickerGeneric, "通用", "Generic"},
    Wording{Msg::PickerCountry, "国家和地区", "Country"},
    Wording{Msg::PickerChinese, "中文", "Chinese"},
    Wording{Msg::PickerAll, "全部", "All"},
    Wording{Msg::SuffixSearchPlaceholder, "搜索后缀", "Search suffixes"},
    Wording{Msg::SuffixSearchTip, "按后缀（任一种国际化写法）或分组名查找",
            "Find a suffix by its name (either form of an international one) or by a group name"},
    Wording{Msg::TickedCount, "已勾选 %s 个", "%s ticked"},
    Wording{Msg::TickShown, "全选所显示", "Tick shown"},
    Wording{Msg::TickShownTip, "勾选表中显示的所有后缀", "Tick every suffix the table shows"},
    Wording{Msg::ClearTicks, "清除勾选", "Clear"},
    Wording{Msg::ClearTicksTip, "取消所有后缀的勾选", "Untick every suffix"},
    Wording{Msg::FilterKindTip, "只显示含有此类标记的行（Ctrl+F 筛选域名）",
            "Show only the rows holding a mark of this kind (Ctrl+F filters the names)"},
    Wording{Msg::CountsTip,
            "☆ 可注册（绿色）：注册局没有该域名的记录\n★ 已注册（灰色）\n- 查询失败（琥珀色，表格中显示为 ⚠）："
            "服务器没有给出明确答复，原因见单元格的提示；可用“重搜查询失败域名”再查",
            "☆ free (green): the registry holds no record of the name\n★ registered (grey)\n- failed (amber, "
            "shown as ⚠ in the table): the server gave no clear answer; the cell's tooltip says why. \"Force to "
            "search failed domain!\" asks those cells again"},
    Wording{Msg::ProgressTip,
            "已答复的格数/要查询的格数；旁边是已完成的域名数（所有服务器都已答复的域名）。点击查看每个服务器的状态。",
            "Cells answered of cells to ask; beside it the names done (answered by every server). Click to see "
            "each server's state."},
    Wording{Msg::HelpTopicsItem, "使用说明(&U)", "&Using the program"},
    Wording{Msg::HelpText,
            "<h3>查询组合</h3><p>字母、数字和“-”代表自身；<b>[a-z]</b>、<b>[0-9]</b> 依次代入范围内每个字符；"
            "<b>[abc]</b> 依次代入所列字符。例如 <b>[a-z]phone</b> 产生 aphone、bphone …… zphone，"
            "每个勾选的后缀各查询一次。</p>"
            "<h3>标记</h3><p><b>☆</b> 可注册：注册局没有该域名的记录。<br><b>★</b> 已注册。<br>"
            "<b>-</b>（表格中显示为 ⚠）查询失败：服务器超时、拒绝（查询过于频繁）或答复无法判断。"
            "把鼠标停在单元格上可看到原因；右键菜单中的“重搜查询失败域名”会再查这些格。"
            "拿不准时程序总是标记为失败，绝不猜测。</p>"
            "<h3>结果保存在哪里</h3><p>每个查询结果在得到时写入结果日志（journal.sqlite，位于便携版 Config.ini "
            "旁边，否则在 ~/.local/state/corvantide/）。未完成的搜索在下次启动时可以继续；一天内得到的答复会被"
            "重用（[setting] reuse_days）；“设置”菜单中的“历史记录”可将以前的搜索以只读方式显示在表格中。右键菜单"
            "可导出到 Excel（Ctrl+E）或 .txt/.csv 文件，或复制可注册域名（Ctrl+Shift+C）。删除的行可用 Ctrl+Z 恢复。"
            "窗口的位置、查询组合和勾选的后缀保存在 Config.ini 中。</p>"
            "<h3>快捷键</h3><p>Ctrl+Enter 搜索，Esc 停止，Ctrl+F 筛选，Ctrl+E 导出，Ctrl+Shift+C 复制可注册域名，"
            "Delete 删除所选行，Ctrl+Z 撤销删除，F2 重命名。</p>",
            "<h3>The pattern</h3><p>Letters, digits and \"-\" stand for themselves; <b>[a-z]</b> or <b>[0-9]</b> "
            "tries every character of the range, <b>[abc]</b> each character listed. <b>[a-z]phone</b> gives "
            "aphone, bphone … zphone, and each is asked under every ticked suffix.</p>"
            "<h3>The marks</h3><p><b>☆</b> free: the registry holds no record of the name.<br><b>★</b> "
            "registered.<br><b>-</b> (shown as ⚠ in the table) failed: the server timed out, refused (too many "
            "queries) or gave an answer that cannot be judged. Rest the pointer on the cell to read why; \"Force "
            "to search failed domain!\" in the popup menu asks those cells again. When unsure the program marks "
            "a cell failed; it never guesses.</p>"
            "<h3>Where results are kept</h3><p>Every answer is written to the results journal as it comes "
            "(journal.sqlite beside a portable Config.ini, else in ~/.local/state/corvantide/). A search that did "
            "not finish is offered again at the next start; answers of the last day are reused ([setting] "
            "reuse_days); Setting, History shows an earlier search in the table, read-only. The popup menu "
            "exports to Excel (Ctrl+E) or to a .txt/.csv file, or copies the free names (Ctrl+Shift+C). Deleted "
            "rows come back with Ctrl+Z. The window's place, the pattern and the ticked suffixes are kept in "
            "Config.ini.</p>"
            "<h3>Keys</h3><p>Ctrl+Enter search, Esc stop, Ctrl+F filter, Ctrl+E export, Ctrl+Shift+C copy free "
            "names, Delete remove the selected rows, Ctrl+Z undo the removal, F2 rename.</p>"},
    Wording{Msg::ResultsMenu, "结果(&R)", "&Results"},
    Wording{Msg::SearchItem, "搜索(&S)", "&Search"},
    Wording{Msg::FilterItem, "筛选(&F)", "&Filter"},
    Wording{Msg::UndoItem, "撤销删除(&U)", "&Undo removal"},
    Wording{Msg::RowsShownOf, "显示 %s / %s 行", "%s of %s shown"},
    Wording{Msg::StopAndQuit, "停止并退出", "Stop and quit"},
    Wording{Msg::CellsProgress, "%s/%s 格", "%s/%s cells"},
    Wording{Msg::LaneServerColumn, "服务器", "Server"},
    Wording{Msg::LaneStateColumn, "状态", "State"},
    Wording{Msg::LaneAnsweredColumn, "已答复", "Answered"},
    Wording{Msg::LaneRefusalsColumn, "拒绝", "Refusals"},
    Wording{Msg::LaneAsking, "正在查询", "asking"},
    Wording{Msg::LaneWaitingPace, "按节奏等待 %s 秒", "waiting %s s for pace"},
    Wording{Msg::LaneBackingOff, "被拒绝后暂停 %s 秒", "backing off %s s after a refusal"},
    Wording{Msg::LaneCalibrating, "正在校准", "calibrating"},
    Wording{Msg::LaneDone, "完成", "done"},
    Wording{Msg::LaneIdle, "空闲", "idle"},
    Wording{Msg::BackingOffStatus, "%s 被拒绝后暂停 %s 秒", "%s is backing off %s s after a refusal"},
    Wording{Msg::WordsLeftOut, "部分单词未列入域名列表。%s", "Some words were left out of the list. %s"},
    Wording{Msg::WordsLeftOutByLength, "超出字母数限制 %s–%s：%s 个（如 %s，%s 个字母）。",
            "Outside the letter limits %s to %s: %s (e.g. %s, %s letters)."},
    Wording{Msg::WordsLeftOutWithSpace, "含有空格：%s 个（如“%s”）。", "Holding a space: %s (e.g. \"%s\")."},
    Wording{Msg::NamesLeftOut, "部分域名未列入查询。%s", "Some names were left out of the search. %s"},
    Wording{Msg::NamesLeftOutControl, "含有控制字符：%s 个。", "Holding control characters: %s."},
    Wording{Msg::NamesLeftOutUndecodable, "既非 UTF-8 也非 GBK：%s 个。", "Neither UTF-8 nor GBK: %s."},
    Wording{Msg::NamesLeftOutInternational, "无法查询的国际化域名：%s 个（%s）。",
            "International names that cannot be asked: %s (%s)."},
    Wording{Msg::AboutTitle, "欢迎使用Corvantide v1.2", "Welcome to Corvantide v1.2"},
    Wording{Msg::AboutText,
            "             欢迎使用Corvantide批量域名查询工具，此工具将极大地方便域名注册需求的用户。"
            "感谢您选用本工具，祝您早日找到称心如意的域名！",
            "Welcome to Corvantide, the bulk domain name checker. It makes finding a name to register much "
            "easier. Thank you for choosing it, and good luck finding the name you want!"},
    Wording{Msg::AboutCaption, "关于...", "About..."},
    Wording{Msg::AboutCredit1, "设计与编程：Corvantide 开发组", "Design and programming: the Corvantide team"},
    Wording{Msg::AboutCredit2, "测试与建议：Corvantide 的每一位用户", "Testing and advice: every Corvantide user"},
    Wording{Msg::ResumeOffer, "上次对“%s”的搜索没有完成（已查询 %s / %s 个名称）。是否继续？",
            "Resume the search for `%s` (%s of %s names asked)?"},
    Wording{
        Msg::ResumeNotPossible, "无法继续对“%s”的搜索：它的后缀、服务器或设置已不在服务器表中。",
        "The search for `%s` cannot be resumed: its suffixes, servers or settings are no longer in the server table."},
    Wording{Msg::JournalNotUsed, "结果日志不可用（%s）；本窗口的搜索不保存到日志。",
            "The results journal cannot be used (%s); this window's searches are not journaled."},
    Wording{Msg::JournalNotice, "结果日志：%s", "Results journal: %s"},
    Wording{Msg::HistoryItem, "历史记录(&H)...", "&History..."},
    Wording{Msg::HistoryCaption, "历史记录", "History"},
    Wording{Msg::HistoryOpen, "打开(&O)", "&Open"},
    Wording{Msg::HistoryStartedColumn, "开始时间", "Started"},
    Wording{Msg::HistoryStateColumn, "状态", "State"},
    Wording{Msg::HistoryCellsColumn, "格", "Cells"},
    Wording{Msg::HistorySuffixesColumn, "后缀", "Suffixes"},
    Wording{Msg::HistoryNamesColumn, "名称", "Names"},
    Wording{Msg::HistoryFinished, "完成", "finished"},
    Wording{Msg::HistoryUnfinished, "未完成", "unfinished"},
    Wording{Msg::HistoryCellsOf, "%s / %s", "%s of %s"},
    Wording{Msg::HistoryShown, "日志中的搜索“%s”（只读）", "The search for `%s` from the journal (read-only)"},
    Wording{Msg::HistoryNotRead, "无法读取结果日志：%s", "The results journal cannot be read: %s"},
};

static_assert(kWordings.size() == static_cast<std::size_t>(Msg::HistoryNotRead) + 1, "one wording for every message");

} // namespace

bool isChinese(std::string_view languageCode) {
    return languageCode == "zh-cn";
}

const char* message(Msg id, std::string_view languageCode) {
    const Wording& wording = kWordings[static_cast<std::size_t>(id)];
    return isChinese(languageCode) ? wording.chinese : wording.english;
}

std::string formatMessage(Msg id, std::string_view languageCode, std::initializer_list<std::string_view> args) {
    const std::string_view pattern = message(id, languageCode);
    std::string result;
    auto next = args.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && (pattern[i + 1] == 's' || pattern[i + 1] == 'd') &&
            next != args.end()) {
            result += *next++;
            ++i;
        } else {
            result += pattern[i];
        }
    }
    return result;
}

} // namespace cvt
