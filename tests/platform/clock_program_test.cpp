#include "platform/clock.h"
#include "platform/program_path.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

TEST(Clock, SeamFixesNowUntilCleared) {
    const QDateTime fixed(QDate(1999, 12, 31), QTime(23, 59, 58));
    setClock([&] { return fixed; });
    EXPECT_EQ(currentDateTime(), fixed);
    setClock(nullptr);
    EXPECT_LE(qAbs(currentDateTime().secsTo(QDateTime::currentDateTime())), 5);
}

TEST(ProgramPath, NamesTheRunningProgramAndItsFolder) {
    EXPECT_EQ(programFilePath(), QCoreApplication::applicationFilePath());
    EXPECT_TRUE(programFilePath().endsWith("/test_platform"));
    EXPECT_EQ(programFolder() + "/test_platform", programFilePath());
}
