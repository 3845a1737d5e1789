#include "common/application.h"

#include "common/profile.h"
#include "support/scripted_ui.h"

#include <gtest/gtest.h>

TEST(Application, EscapingErrorsStopOnlyTheFailedWorkAndAreShownInTheErrorBox) {
    ScriptedUi seam;
    EXPECT_TRUE(runReportingErrors([] { return true; }));
    EXPECT_TRUE(seam.messages.empty());

    EXPECT_FALSE(runReportingErrors([]() -> bool {
        throw ProfileWriteError(QStringLiteral("Unable to write to /x/zelkova.ini"));
    }));
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(seam.messages[0].title, QStringLiteral("Error"));
    EXPECT_EQ(seam.messages[0].text, QStringLiteral("Unable to write to /x/zelkova.ini"));
    ASSERT_EQ(seam.sounds.size(), 1u);
    EXPECT_EQ(seam.sounds[0], Sound::Exclamation);

    EXPECT_FALSE(runReportingErrors([]() -> bool { throw std::runtime_error("disk on fire"); }));
    EXPECT_EQ(seam.lastMessage(), QStringLiteral("disk on fire"));
}
