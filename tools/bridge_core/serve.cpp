#include "serve.h"

#include <iostream>
#include <sstream>
#include <string_view>

#include "common/framing.h"
#include "common/protocol.h"
#include "sender.h"
#include "trx_api/trx_api_bridge_info.h"
#include "trx_api/trx_api_command.h"
#include "trx_api/trx_api_result.h"

namespace trx::bridge {
namespace {

Result answer(Result::ECode code, const std::wstring& message) {
    Result result;
    result.setCode(code);
    result.setMessage(message);
    result.setFinished(true);
    return result;
}

// The first string (member name or value) that holds a NUL, with the member it is in. Such a
// string would be cut at the NUL on its way to the file system: another file than the one
// named. The parser limits nesting, so the recursion is bounded.
bool findNul(const JsonValue& v, const std::wstring& member, std::wstring& where,
             std::wstring& text) {
    auto hasNul = [](const JsonValue& s) {
        return std::wstring_view(s.GetString(), s.GetStringLength()).find(L'\0') !=
               std::wstring_view::npos;
    };
    if (v.IsString() && hasNul(v)) {
        where = member;
        text = tools::fullString(v);
        return true;
    }
    if (v.IsArray())
        for (const auto& item : v.GetArray())
            if (findNul(item, member, where, text)) return true;
    if (v.IsObject())
        for (const auto& m : v.GetObject()) {
            const std::wstring name = tools::fullString(m.name);
            if (hasNul(m.name)) {
                where = name;
                text = name;
                return true;
            }
            if (findNul(m.value, name, where, text)) return true;
        }
    return false;
}

// "ring.stl\0.txt" as text that shows the NUL.
std::wstring showNul(const std::wstring& text) {
    std::wstring out;
    for (const wchar_t c : tools::clip(text)) {
        if (c == L'\0')
            out += L"\\0";
        else
            out += c;
    }
    return out;
}

}  // namespace

int serve(tools::FrameReader& in, Sender& out, const BridgeProgram& program) {
    for (;;) {
        std::wstring text;
        const auto status = in.read(text);  // the host decides how long to wait
        if (status == tools::FrameReader::Status::end) return 0;
        if (status == tools::FrameReader::Status::interrupted) throw Stopped{};
        if (status != tools::FrameReader::Status::frame) {
            std::cerr << program.name << ": cannot read a command from standard input\n";
            return 1;
        }
        {
            JsonDocument doc;
            std::wstring where;
            std::wstring bad;
            if (tools::parseDocument(text, doc) && findNul(doc, L"", where, bad)) {
                out.answer(answer(Result::Error, L"Cannot read the command: \"" +
                                                     tools::clip(where) + L"\" holds a NUL: \"" +
                                                     showNul(bad) + L"\""));
                continue;
            }
        }
        Command command;
        try {
            std::wistringstream stream(text);
            command.readObject(stream);
        } catch (const std::exception& e) {
            out.answer(answer(Result::Error, L"Cannot read the command: " + toWide(e.what())));
            continue;
        }
        switch (command.type()) {
            case Command::Info: out.answer(program.info()); break;
            case Command::Ping: out.answer(answer(Result::Ok, L"")); break;
            case Command::Import: {
                ImportSettings settings;
                try {
                    settings = settingsOf(command);
                } catch (const std::exception& e) {
                    out.answer(answer(Result::Error, toWide(e.what())));
                    break;
                }
                Result result;
                try {
                    result = program.import(settings, out);
                } catch (const HostGone&) {
                    throw;
                } catch (const std::bad_alloc&) {
                    result = answer(Result::Error, L"Import failed: not enough memory for " +
                                                       tools::clip(settings.file) + L".");
                } catch (const std::exception& e) {
                    result = answer(Result::Error, L"Import failed: " + toWide(e.what()));
                }
                out.answer(result);
                if (program.afterAnswer) program.afterAnswer();
                break;
            }
            case Command::Export:
                out.answer(answer(Result::Error, L"This bridge does not export."));
                break;
            default: out.answer(answer(Result::Error, L"Unknown command.")); break;
        }
    }
}

}  // namespace trx::bridge
