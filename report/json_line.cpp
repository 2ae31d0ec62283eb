// JSON lines: see report/json_line.h.
#include "report/json_line.h"

#include "report/text_encoding.h"

namespace {

void AddName(JsonLine* line, const char* name) {
    line->text += ",\"";
    line->text += name;
    line->text += "\":";
}

} // namespace

JsonLine JsonObject(const char* kind) {
    return JsonLine{std::string("{\"kind\":\"") + kind + "\""};
}

JsonLine JsonSummary(const char* command, const std::wstring& computer, const char* version) {
    JsonLine line = JsonObject("summary");
    AddJson(&line, "command", std::string("\"") + command + "\"");
    AddText(&line, "computer", computer);
    AddJson(&line, "version", std::string("\"") + version + "\"");
    return line;
}

void AddText(JsonLine* line, const char* name, const std::wstring& value) {
    AddName(line, name);
    line->text += JsonString(value);
}

void AddNumber(JsonLine* line, const char* name, int64_t value) {
    AddName(line, name);
    line->text += std::to_string(value);
}

void AddBool(JsonLine* line, const char* name, bool value) {
    AddName(line, name);
    line->text += value ? "true" : "false";
}

void AddNull(JsonLine* line, const char* name) {
    AddName(line, name);
    line->text += "null";
}

void AddJson(JsonLine* line, const char* name, const std::string& json) {
    AddName(line, name);
    line->text += json;
}

std::string JsonTextList(const std::wstring* items, size_t count) {
    std::string list = "[";
    for (size_t i = 0; i < count; ++i) {
        list += (i > 0 ? "," : "") + JsonString(items[i]);
    }
    return list + "]";
}

std::string Finished(const JsonLine& line) {
    return line.text + "}";
}
