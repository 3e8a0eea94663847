#include "plugin_fixture.h"

namespace {

class StatusLine : public HostTest {
  protected:
    // The calls drawStatusLine makes at the present tick.
    std::vector<std::string> drawn() {
        sim::beginFrame();
        drawStatusLine();
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

// The tick counter wraps every 2^32 ms. A message given just before the wrap
// shows at once and for its full 5000 ms; an old one never comes back.
TEST_F(StatusLine, WrapOfTheTickCounterNeitherHidesNorRevivesAMessage) {
    sim::setTick(0xFFFFFFFFu - 999);
    showStatus("across the wrap");
    EXPECT_TRUE(isShown());
    sim::setTick(3999);
    EXPECT_TRUE(isShown());
    sim::setTick(4000);
    EXPECT_FALSE(isShown());

    sim::setTick(100);
    showStatus("old");
    sim::setTick(0x80000000u); // weeks later...
    EXPECT_FALSE(isShown());
    sim::setTick(50); // ...and round the wrap again, below the old deadline
    EXPECT_FALSE(isShown());
}

} // namespace
