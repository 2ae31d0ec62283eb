// One JSON object on one line, built field by field: the exact text (fields in the order added,
// nothing between them), and what a JSON parser reads back from it.
#include "report/json_line.h"
#include "tests/support/wide_text.h"
#include <gtest/gtest.h>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

namespace {

using Json = nlohmann::json;

TEST(JsonLine, FieldsInTheOrderAdded) {
    EXPECT_EQ(Finished(JsonObject("entry")), "{\"kind\":\"entry\"}");
    JsonLine line = JsonObject("entry");
    AddText(&line, "path", L"D:\\a b-c ");
    AddNumber(&line, "error", 5);
    AddBool(&line, "stopped", false);
    AddBool(&line, "password", true);
    AddNull(&line, "restored");
    AddJson(&line, "key", "\"password\"");
    EXPECT_EQ(Finished(line), "{\"kind\":\"entry\",\"path\":\"D:\\\\a b-c \",\"error\":5,"
                              "\"stopped\":false,\"password\":true,\"restored\":null,"
                              "\"key\":\"password\"}");
    // Finishing leaves the line as it was: a field can still follow.
    AddNumber(&line, "exit_code", 0);
    EXPECT_EQ(Finished(line).substr(Finished(line).size() - 15), ",\"exit_code\":0}");
}

TEST(JsonLine, NumbersOverTheWholeRange) {
    const int64_t numbers[] = {0,         -1,       1, 1000000, INT32_MAX, int64_t{1} << 53,
                               INT64_MAX, INT64_MIN};
    for (int64_t number : numbers) {
        JsonLine line = JsonObject("n");
        AddNumber(&line, "value", number);
        Json parsed = Json::parse(Finished(line));
        EXPECT_EQ(parsed["value"].get<int64_t>(), number);
    }
}

TEST(JsonLine, TextListsAndTextsReadBack) {
    const std::wstring none[1] = {L""};
    EXPECT_EQ(JsonTextList(none, 0), "[]");
    const std::wstring one[] = {L"D:\\"};
    EXPECT_EQ(JsonTextList(one, 1), "[\"D:\\\\\"]");
    const std::wstring several[] = {L"C:\\", L"say \"hi\"\t", L"\x043e\x0442\x0447\x0451\x0442",
                                    Units({0xD83D, 0xDE00}), L""};
    JsonLine line = JsonObject("summary");
    AddJson(&line, "scopes", JsonTextList(several, 5));
    AddText(&line, "computer", L"PC-\x0410\x043d\x043d\x0430");
    Json parsed = Json::parse(Finished(line));
    ASSERT_TRUE(parsed["scopes"].is_array());
    ASSERT_EQ(parsed["scopes"].size(), 5u);
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(parsed["scopes"][i], Utf8(several[i])) << i;
    }
    EXPECT_EQ(parsed["computer"], Utf8(L"PC-\x0410\x043d\x043d\x0430"));
}

// Every summary starts the same way, so that reports collected from many machines can be told
// apart by command, computer and version.
TEST(JsonLine, SummaryBeginsWithCommandComputerAndVersion) {
    JsonLine line = JsonSummary("scan", L"PC \"7\"", "1.0.0");
    AddNumber(&line, "exit_code", 1);
    std::string text = Finished(line);
    EXPECT_EQ(text, "{\"kind\":\"summary\",\"command\":\"scan\",\"computer\":\"PC \\\"7\\\"\","
                    "\"version\":\"1.0.0\",\"exit_code\":1}");
    Json parsed = Json::parse(text);
    EXPECT_EQ(parsed["computer"], "PC \"7\"");
    EXPECT_EQ(parsed.size(), 5u);
    EXPECT_EQ(text.find('\n'), std::string::npos);
}

} // namespace
