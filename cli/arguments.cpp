// Parsing the command line against the command table.
#include "cli/arguments.h"

namespace {

bool IsHelpRequest(const std::wstring& argument) {
    return argument == L"--help" || argument == L"-h" || argument == L"/?";
}

ParsedArguments BadUsage(const std::wstring& reason) {
    ParsedArguments parsed;
    parsed.verdict = ParsedBadUsage;
    parsed.call.command = nullptr;
    parsed.reason = reason;
    return parsed;
}

const OptionSpec* FindOption(const CommandSpec* command, const std::wstring& name) {
    for (const OptionSpec* option = command->options; option->name != nullptr; ++option) {
        if (name == option->name) {
            return option;
        }
    }
    return nullptr;
}

std::wstring OperandCount(int count, const wchar_t* name) {
    return count == 1 ? std::wstring(L"one ") + name : std::to_wstring(count) + L" " + name;
}

} // namespace

ParsedArguments ParseArguments(int count, const wchar_t* const* arguments,
                               const CommandSpec* commands, size_t commandCount) {
    for (int i = 1; i < count; ++i) {
        if (IsHelpRequest(arguments[i])) {
            ParsedArguments parsed;
            parsed.verdict = ParsedHelp;
            parsed.call.command = nullptr;
            for (size_t k = 0; k < commandCount && i > 1; ++k) {
                if (std::wstring(arguments[1]) == commands[k].name) {
                    parsed.call.command = &commands[k];
                }
            }
            return parsed;
        }
        if (std::wstring(arguments[i]) == L"--") {
            break;
        }
    }
    if (count < 2) {
        return BadUsage(L"no command given");
    }
    std::wstring first = arguments[1];
    if (first == L"--version") {
        if (count > 2) {
            return BadUsage(L"--version takes nothing else");
        }
        ParsedArguments parsed;
        parsed.verdict = ParsedVersion;
        parsed.call.command = nullptr;
        return parsed;
    }
    const CommandSpec* command = nullptr;
    for (size_t k = 0; k < commandCount; ++k) {
        if (first == commands[k].name) {
            command = &commands[k];
        }
    }
    if (command == nullptr) {
        return BadUsage(first.compare(0, 1, L"-") == 0
                            ? L"a command must come first, not the option " + first
                            : L"unknown command " + first);
    }

    ParsedArguments parsed;
    parsed.verdict = ParsedCommand;
    parsed.call.command = command;
    bool onlyOperands = false;
    for (int i = 2; i < count; ++i) {
        std::wstring argument = arguments[i];
        if (onlyOperands || argument.size() < 2 || argument[0] != L'-') {
            parsed.call.operands.push_back(argument);
            continue;
        }
        if (argument == L"--") {
            onlyOperands = true;
            continue;
        }
        std::wstring name = argument;
        std::vector<std::wstring> values;
        size_t equals = argument.find(L'=');
        bool valueAttached = argument.compare(0, 2, L"--") == 0 && equals != std::wstring::npos;
        if (valueAttached) {
            name = argument.substr(0, equals);
            values.push_back(argument.substr(equals + 1));
        }
        const OptionSpec* option = FindOption(command, name);
        if (option == nullptr) {
            return BadUsage(L"unknown option " + name + L" for " + command->name);
        }
        if (HasOption(parsed.call, option->name)) {
            return BadUsage(name + L" is given twice");
        }
        if (valueAttached && option->valueCount != 1) {
            return BadUsage(option->valueCount == 0 ? name + L" takes no value"
                                                    : name + L" takes its values apart, not =");
        }
        while (static_cast<int>(values.size()) < option->valueCount) {
            if (i + 1 >= count) {
                return BadUsage(
                    name + (option->valueCount == 1
                                ? std::wstring(L" needs a value")
                                : L" needs " + std::to_wstring(option->valueCount) + L" values"));
            }
            values.push_back(arguments[++i]);
        }
        bool emptyValue = false;
        for (const std::wstring& value : values) {
            emptyValue = emptyValue || value.empty();
        }
        if (emptyValue) {
            return BadUsage(name + L" needs a value that is not empty");
        }
        parsed.call.options.push_back({option->name, values});
    }

    int operands = static_cast<int>(parsed.call.operands.size());
    if (operands < command->minOperands) {
        return BadUsage(std::wstring(command->name) + L" needs " +
                        OperandCount(command->minOperands, command->operandName));
    }
    if (command->maxOperands >= 0 && operands > command->maxOperands) {
        return BadUsage(std::wstring(command->name) + L" takes " +
                        (command->maxOperands == 0
                             ? std::wstring(L"no ") + command->operandName
                             : OperandCount(command->maxOperands, command->operandName)) +
                        L"; extra argument: " + parsed.call.operands[command->maxOperands]);
    }
    for (const std::wstring& operand : parsed.call.operands) {
        if (operand.empty()) {
            return BadUsage(std::wstring(L"an empty ") + command->operandName);
        }
    }
    return parsed;
}

int HasOption(const CommandCall& call, const wchar_t* name) {
    return OptionValues(call, name) != nullptr ? 1 : 0;
}

const std::vector<std::wstring>* OptionValues(const CommandCall& call, const wchar_t* name) {
    for (const GivenOption& given : call.options) {
        if (std::wstring(given.name) == name) {
            return &given.values;
        }
    }
    return nullptr;
}
