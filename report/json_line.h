// One JSON object on one line, built field by field in the order given: the machine output of
// every front end (--json, the decrypt window's saved report). Windows-free.
#pragma once
#include <cstdint>
#include <string>

struct JsonLine {
    std::string text; // the object so far, without its closing brace
};

// {"kind":"<kind>" ...
JsonLine JsonObject(const char* kind);
// {"kind":"summary","command":...,"computer":...,"version":...: how every summary begins, so
// that reports collected from many machines can be told apart.
JsonLine JsonSummary(const char* command, const std::wstring& computer, const char* version);

void AddText(JsonLine* line, const char* name, const std::wstring& value);
void AddNumber(JsonLine* line, const char* name, int64_t value);
void AddBool(JsonLine* line, const char* name, bool value);
void AddNull(JsonLine* line, const char* name);
// A value already in JSON: a list, a key's number or "password".
void AddJson(JsonLine* line, const char* name, const std::string& json);
// A list of texts.
std::string JsonTextList(const std::wstring* items, size_t count);

// The object with its closing brace, without a line end.
std::string Finished(const JsonLine& line);
