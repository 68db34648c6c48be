// The bridge on its own pipe: every answer is one frame, and nothing a host sends makes it
// crash or fall silent.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include "common/framing.h"
#include "common/protocol.h"
#include "tool_support.h"
#include "trx_api/trx_api.h"

using namespace trx;
using namespace trx::test;

namespace {

class Bridge {
public:
    Bridge() : m_reader(start()) {}

    // Sends one frame and reads the one answer.
    JsonDocument ask(const std::wstring& text) {
        EXPECT_TRUE(tools::writeFrame(m_child.input(), text));
        std::wstring answer;
        EXPECT_EQ(m_reader.read(answer, 20000), tools::FrameReader::Status::frame);
        m_last = answer;
        JsonDocument doc;
        tools::parseDocument(answer, doc);
        return doc;
    }
    JsonDocument ask(const Command& command) { return ask(tools::textOf(command)); }
    const std::wstring& last() const { return m_last; }
    tools::ChildProcess& child() { return m_child; }

private:
    int start() {
        m_child.start(TRX_BRIDGE_EXE, {});
        return m_child.output();
    }
    tools::ChildProcess m_child;  // before the reader, which reads its output
    tools::FrameReader m_reader;
    std::wstring m_last;
};

Command command(Command::EType type) {
    Command c;
    c.setType(type);
    c.setInternalInterface(EBridgeInterface::Connect);
    if (type == Command::Export) c.setExportOptions(Command::newExportOptions());
    return c;
}

std::string code(const JsonDocument& doc) {
    return doc.IsObject() && doc.HasMember(L"code") ? str(doc[L"code"]) : "";
}

}  // namespace

TEST(Bridge, AnswersEveryCommandAndSurvivesGarbage) {
    Bridge bridge;

    JsonDocument info = bridge.ask(command(Command::Info));
    ASSERT_EQ(tools::kindOf(info), tools::DocumentKind::bridgeInfo);
    BridgeInfo parsed;
    std::wistringstream in(bridge.last());
    parsed.readObject(in);
    ASSERT_EQ(parsed.importFormats().size(), 2u);
    EXPECT_TRUE(parsed.importFormats()[0]->is(L"Part.STL"));
    EXPECT_FALSE(parsed.importFormats()[0]->is(L"part.step"));
    EXPECT_EQ(parsed.importFormats()[0]->getFilters(),
              std::vector<std::wstring>{L"STL files, ASCII|*.stl"});

    EXPECT_EQ(code(bridge.ask(command(Command::Ping))), "ok");
    EXPECT_EQ(code(bridge.ask(command(Command::Export))), "error");
    JsonDocument unknown =
        bridge.ask(L"{\"command\": \"Info\", \"bridge_interface\": \"connect\"}");
    EXPECT_EQ(code(unknown), "error");
    // Not a command at all, or not JSON: an error answer, and the bridge goes on.
    JsonDocument garbage = bridge.ask(L"{\"command\": ");
    EXPECT_EQ(code(garbage), "error");
    EXPECT_NE(str(garbage[L"message"]).find("Invalid json document"), std::string::npos);
    JsonDocument noOptions =
        bridge.ask(L"{\"command\": \"import\", \"bridge_interface\": \"connect\"}");
    EXPECT_EQ(code(noOptions), "error");
    EXPECT_NE(str(noOptions[L"message"]).find("Import command should contain options."),
              std::string::npos);
    EXPECT_EQ(code(bridge.ask(command(Command::Ping))), "ok");

    // The end of its input ends it, cleanly.
    bridge.child().closeInput();
    ASSERT_TRUE(bridge.child().wait(20000));
    EXPECT_EQ(bridge.child().describe(), "exited with status 0");
}

// The file named is the whole name: "ring.stl\0.txt" is not ring.stl.
TEST(Bridge, ImportPathWithNulIsRefused) {
    Bridge bridge;
    Command import = command(Command::Import);
    auto options = Command::newImportOptions();
    options->setFile(toWide(std::string(TRX_SAMPLES_DIR) + "/ring.stl") + std::wstring(1, L'\0') +
                     L".txt");
    import.setImportOptions(options);
    const JsonDocument answer = bridge.ask(import);
    EXPECT_EQ(code(answer), "error") << toNarrow(bridge.last());
    EXPECT_NE(str(answer[L"message"]).find("\"file\" holds a NUL: \""), std::string::npos)
        << str(answer[L"message"]);
    EXPECT_NE(str(answer[L"message"]).find("ring.stl\\0.txt\""), std::string::npos)
        << str(answer[L"message"]);
}
