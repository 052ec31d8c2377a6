// Reads calls such as [{"function": "fillScript", "arguments": ["@e2", "hello", null]}] and prints the
// JSON list of what each returns (scripts and compact texts as strings, risk tests as booleans), so that
// scripts built in C++ can be evaluated in a real browser.
#include "ZunoToolCommandLine.h"
#include "ZunoWebPageAgentBridge.h"

#include <QFile>

#include <nlohmann/json.hpp>

#include <cstdio>
#include <iostream>
#include <optional>
#include <stdexcept>

namespace {

using Json = nlohmann::json;
namespace Page = ZunoWebPageAgentBridge;

QString text(const Json &arguments, std::size_t index)
{
    if (index >= arguments.size() || !arguments.at(index).is_string())
        throw std::invalid_argument("argument " + std::to_string(index) + " must be a string");
    return QString::fromStdString(arguments.at(index).get<std::string>());
}

std::optional<QString> optionalText(const Json &arguments, std::size_t index)
{
    if (index >= arguments.size() || arguments.at(index).is_null())
        return std::nullopt;
    return text(arguments, index);
}

int integer(const Json &arguments, std::size_t index)
{
    if (index >= arguments.size() || !arguments.at(index).is_number_integer())
        throw std::invalid_argument("argument " + std::to_string(index) + " must be an integer");
    return arguments.at(index).get<int>();
}

bool flag(const Json &arguments, std::size_t index)
{
    if (index >= arguments.size() || !arguments.at(index).is_boolean())
        throw std::invalid_argument("argument " + std::to_string(index) + " must be true or false");
    return arguments.at(index).get<bool>();
}

Json run(const std::string &function, const Json &a)
{
    const auto out = [](const QString &value) { return Json(value.toStdString()); };
    if (function == "snapshotScript")
        return out(Page::snapshotScript(integer(a, 0), integer(a, 1), text(a, 2), flag(a, 3)));
    if (function == "extractTextScript")
        return out(Page::extractTextScript(integer(a, 0)));
    if (function == "inspectTargetScript")
        return out(Page::inspectTargetScript(text(a, 0)));
    if (function == "clickScript")
        return out(Page::clickScript(text(a, 0), optionalText(a, 1)));
    if (function == "fillScript")
        return out(Page::fillScript(text(a, 0), text(a, 1), optionalText(a, 2)));
    if (function == "pressKeyScript")
        return out(Page::pressKeyScript(text(a, 0)));
    if (function == "scrollScript")
        return out(Page::scrollScript(text(a, 0), integer(a, 1)));
    if (function == "jsonStringLiteral")
        return out(Page::jsonStringLiteral(text(a, 0)));
    if (function == "isRiskyAction")
        return Page::isRiskyAction(text(a, 0), optionalText(a, 1), optionalText(a, 2));
    if (function == "formatCompactSnapshot")
        return out(Page::formatCompactSnapshot(text(a, 0)));
    throw std::invalid_argument("unknown function " + function);
}

} // namespace

int main(int argc, char **argv)
{
    const char *usage = "usage: PageScriptDump [CALLS.json]   builds the agent browser's page scripts for a "
                        "JSON list of calls (default: read from stdin) and prints them as JSON\n";
    if (const auto exitCode = zunoCheckToolArguments(argc, argv, usage, {}))
        return *exitCode;
    QByteArray input;
    if (argc > 1) {
        QFile file(QString::fromLocal8Bit(argv[1]));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "PageScriptDump: cannot read %s\n", argv[1]);
            return 1;
        }
        input = file.readAll();
    } else {
        std::string all((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
        input = QByteArray::fromStdString(all);
    }
    try {
        const Json calls = Json::parse(input.toStdString());
        if (!calls.is_array())
            throw std::invalid_argument("the input must be a JSON list of calls");
        Json results = Json::array();
        for (const Json &call : calls) {
            const Json arguments = call.value("arguments", Json::array());
            if (!arguments.is_array())
                throw std::invalid_argument("\"arguments\" must be a list");
            results.push_back(run(call.at("function").get<std::string>(), arguments));
        }
        const std::string printed = results.dump() + "\n";
        if (std::fwrite(printed.data(), 1, printed.size(), stdout) != printed.size()
            || std::fflush(stdout) != 0) {
            std::fprintf(stderr, "PageScriptDump: cannot write the output\n");
            return 1;
        }
    } catch (const std::exception &error) {
        std::fprintf(stderr, "PageScriptDump: %s\n", error.what());
        return 2;
    }
    return 0;
}
