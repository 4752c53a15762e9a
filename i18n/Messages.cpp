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
    Wording{Msg::ChineseItem, "中文", "Chinese"},
    Wording{Msg::EnglishItem, "英文(&E)", "&English"},
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
            "Paste Simplified-Chinese phrases (one words per line)"},
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
    Wording{Msg::ProgressFetchingPage, "正在抓取网页……", "Fetching the page..."},
    Wording{Msg::ProgressAskingWhois, "正在查询Whois信息……", "Asking the WHOIS servers..."},
    Wording{Msg::WordsVisibleTextOnly, "仅可见文字", "Visible text only"},
    Wording{Msg::ProgressExporting, "正在导出……", "Exporting..."},
    Wording{Msg::PreparingNames, "正在准备域名列表……", "Preparing the list of names..."},
    Wording{Msg::DnsSettledTip, "已在DNS中查到委派、无需查询注册局的格数",
            "Cells found delegated in DNS, not asked of the registry"},
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
};

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
