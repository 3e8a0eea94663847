#include "plugin_fixture.h"

namespace {

class StatusLine : public HostTest {
  protected:
    // The calls drawStatusLine makes at the present tick.
    std::vector<std::string> drawn() {
        sim::beginFrame();
        onFiber(drawStatusLine);
        return sim::describeCalls(sim::frameInProgress());
    }
    bool isShown() { return !drawn().empty(); }
};

std::vector<std::string> statusSequence(const std::string& text) {
    return {"setTextFont(0)",
            "setTextScale(0.55, 0.55)",
            "setTextColour(255, 255, 255, 255)",
            "setTextWrap(0, 1)",
            "setTextCentred(1)",
            "setTextDropShadow(0, 0, 0, 0, 0)",
            "setTextEdge(1, 0, 0, 0, 205)",
            "beginTextDisplay(\"STRING\")",
            "addPlainText(\"" + text + "\")",
            "drawPendingText(0.5, 0.9)"};
}

TEST_F(StatusLine, NothingIsDrawnBeforeTheFirstMessageAtAnyTick) {
    for (DWORD tick : {0u, 4999u, 0xFFFFFFFFu - 100, 0xFFFFFFFFu}) {
        sim::setTick(tick);
        EXPECT_EQ(drawn(), std::vector<std::string>{}) << tick;
    }
}

TEST_F(StatusLine, MessageShowsWithTenCallsFor5000Ms) {
    sim::setTick(20000);
    showStatus(" [Face]: 3,(10),0,(2)");
    EXPECT_EQ(statusUntil, 25000u);
    EXPECT_EQ(drawn(), statusSequence(" [Face]: 3,(10),0,(2)"));
    sim::setTick(24999);
    EXPECT_EQ(drawn(), statusSequence(" [Face]: 3,(10),0,(2)"));
    sim::setTick(25000);
    EXPECT_FALSE(isShown());
    EXPECT_EQ(statusMessage, " [Face]: 3,(10),0,(2)") << "kept, only no longer drawn";
}

TEST_F(StatusLine, NewMessageReplacesTheTextAndRestartsTheTime) {
    sim::setTick(1000);
    showStatus("first");
    sim::setTick(4000);
    showStatus("first");
    sim::setTick(8999);
    EXPECT_EQ(drawn(), statusSequence("first"));
    showStatus("second");
    sim::setTick(13998);
    EXPECT_EQ(drawn(), statusSequence("second"));
    sim::setTick(13999);
    EXPECT_FALSE(isShown());
}

TEST_F(StatusLine, EmptyTextIsStillDrawnForItsTime) {
    showStatus("");
    EXPECT_EQ(drawn(), statusSequence(""));
    sim::advance(4999);
    EXPECT_TRUE(isShown());
}

// Shown while less than 5000 ms have passed since the message was given:
// near tick 0, across the 2^32 wrap, and never again once the counter wraps
// round to an old message's neighbourhood.
TEST_F(StatusLine, ShownFor5000MsByElapsedTimeAtAnyTick) {
    const std::tuple<DWORD, DWORD, bool> cases[] = {{0, 0, true},
                                                    {0, 4999, true},
                                                    {100, 200, true},
                                                    {100, 5099, true},
                                                    {100, 5100, false},
                                                    {0xFFFFFFFFu - 999, 3999, true},
                                                    {0xFFFFFFFFu - 999, 4000, false},
                                                    {100, 0x80000000u, false},
                                                    {100, 50, false},
                                                    {0xFFFFF000u, 0xFFFFF000u, true}};
    for (const auto& [given, tested, shown] : cases) {
        sim::setTick(given);
        showStatus("message");
        sim::setTick(tested);
        EXPECT_EQ(isShown(), shown) << given << " then " << tested;
    }
}

} // namespace
