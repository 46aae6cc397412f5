// One verdict rule for every kind, and the results list telling its observer of each change.
#include "verification/results.h"
#include "verification/verdict.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace verification;

TEST(Verdict, OneRuleForEveryKind)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Row {
        const char* name;
        int kind;
        float tolerance, coefficient, error, u;
        DecisionRule rule;
        bool conforms;
    } rows[] = {
        {"pressure, c 0.8 shrinks the limit", 0, 0.5f, 0.8f, 0.45f, 0, DecisionRule::SimpleAcceptance, false},
        {"pressure, c 0.8, within", 0, 0.5f, 0.8f, 0.4f, 0, DecisionRule::SimpleAcceptance, true},
        {"pressure, c 2 widens it", 0, 0.5f, 2.0f, 0.9f, 0, DecisionRule::SimpleAcceptance, true},
        {"pressure, c 0 (unfilled) counts as 1", 0, 0.5f, 0.0f, 0.5f, 0, DecisionRule::SimpleAcceptance,
         true},
        {"temperature ignores the coefficient", 1, 0.55f, 2.0f, 0.6f, 0, DecisionRule::SimpleAcceptance,
         false},
        {"secondary ignores the coefficient", 2, 0.25f, 0.0f, -0.25f, 0, DecisionRule::SimpleAcceptance,
         true},
        {"at the limit in 32 bits", 0, 0.1f, 3.0f, 0.3f, 0, DecisionRule::SimpleAcceptance, true},
        {"guard band: error + U within", 1, 0.5f, 1.0f, 0.3f, 0.2f, DecisionRule::GuardBand, true},
        {"guard band: error + U beyond", 1, 0.5f, 1.0f, 0.31f, 0.2f, DecisionRule::GuardBand, false},
        {"guard band with an unknown U", 1, 0.5f, 1.0f, 0.0f, nan, DecisionRule::GuardBand, false},
        {"no error read", 2, 0.5f, 1.0f, nan, 0, DecisionRule::SimpleAcceptance, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const float limit = ConformityLimit(r.kind, r.tolerance, r.coefficient);
        EXPECT_EQ(Conforms(r.error, limit, r.u, r.rule), r.conforms);
    }
    EXPECT_FLOAT_EQ(TestUncertaintyRatio(0.5f, 0.1f), 5.0f);
    EXPECT_TRUE(std::isnan(TestUncertaintyRatio(0.5f, 0.0f)));
    EXPECT_TRUE(std::isnan(TestUncertaintyRatio(0.5f, nan)));
}

TEST(Results, TheObserverHearsEveryChangeButNoRefusal)
{
    ResultList list;
    int calls = 0, lastCount = -1;
    SetResultsObserver([&](const ResultList& l) {
        ++calls;
        lastCount = l.count;
    });
    for (int i = 0; i < kMaxRows; ++i)
        ASSERT_EQ(AppendRow(list, ResultRow{}), i + 1);
    EXPECT_EQ(AppendRow(list, ResultRow{}), -1); // full: refused, unheard
    EXPECT_EQ(RemoveRow(list, kMaxRows), -1);
    EXPECT_EQ(calls, kMaxRows);
    EXPECT_EQ(RemoveRow(list, 0), kMaxRows - 1);
    ClearRows(list);
    EXPECT_EQ(calls, kMaxRows + 2);
    EXPECT_EQ(lastCount, 0);
    SetResultsObserver({});
    AppendRow(list, ResultRow{});
    EXPECT_EQ(calls, kMaxRows + 2);
}
