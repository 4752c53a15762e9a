#pragma once

#include "platform/WorkbookWriter.h"

#include <string>
#include <vector>

namespace cvt::test {

// A workbook writer that only writes down the calls it gets, one line each, for tests of what
// the export asks of a workbook.
class RecordingWorkbookWriter : public WorkbookWriter {
public:
    void setTitle(const std::string& title) override { calls.push_back("title " + title); }
    void addSheet(const std::string& name) override { calls.push_back("sheet " + name); }
    void setCell(std::uint32_t row, std::uint32_t column, std::string_view text) override {
        calls.push_back("cell " + std::to_string(row) + "," + std::to_string(column) + " " + std::string(text));
    }
    void setRowBold(std::uint32_t row) override { calls.push_back("bold row " + std::to_string(row)); }
    void setFontName(const std::string& name) override { calls.push_back("font " + name); }
    void setFontSize(double points) override { calls.push_back("size " + std::to_string(static_cast<int>(points))); }
    void fitColumns() override { calls.push_back("fit columns"); }
    void save(const std::filesystem::path& path) override { calls.push_back("save " + path.string()); }

    std::vector<std::string> calls;
};

} // namespace cvt::test
