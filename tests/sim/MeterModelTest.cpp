#include "sim/MeterModel.h"
#include "sim/MeterArchive.h"
#include "sim/MeterDate.h"
#include "sim/SimTestSupport.h"

#include <cmath>
#include <gtest/gtest.h>
#include <set>

namespace rt570::sim {
namespace {

// DateCode of a day's hour, minutes 0.
uint32_t code(const QDate& d, int hour) {
    return dateCodeAt(wallTime(d, hour));
}

class Model : public ::testing::Test {
protected:
    MeterModel model{570, 0, 1, test::fixedPcTime};
    const QDate day{2014, 3, 5};
};

TEST_F(Model, SameSeedSameMeterOtherSeedOtherMeter) {
    MeterModel twin(570, 0, 1, test::fixedPcTime), other(571, 0, 1, test::fixedPcTime);
    for (int slot = 0; slot < kParameterSlots; ++slot)
        EXPECT_EQ(model.parameter(uint8_t(slot)), twin.parameter(uint8_t(slot))) << slot;
    EXPECT_EQ(model.readClock().dateCode, twin.readClock().dateCode);
    for (uint8_t q = 0; q < kArchiveQuantities; ++q) {
        EXPECT_EQ(model.archiveInteger(kKindIntegrators, q, code(day, 23)),
                  twin.archiveInteger(kKindIntegrators, q, code(day, 23)));
        EXPECT_EQ(model.archiveInteger(kKindHourly, q, code(day, 9)),
                  twin.archiveInteger(kKindHourly, q, code(day, 9)));
    }
    EXPECT_NE(model.parameter(0), other.parameter(0));
    EXPECT_NE(model.archiveFloat(kKindHourly, 0, code(day, 9)),
              other.archiveFloat(kKindHourly, 0, code(day, 9)));
}

TEST_F(Model, ParametersArePlausible) {
    EXPECT_EQ(model.parameter(0), 20570.0f);
    EXPECT_EQ(MeterModel(1, 20417).parameter(0), 20417.0f);
    EXPECT_EQ(MeterModel(1, 0, 7).parameter(kAddressSlot), 7.0f);
    EXPECT_GE(model.parameter(kReportingDaySlot), 1.0f);
    EXPECT_LE(model.parameter(kReportingDaySlot), 28.0f);
    EXPECT_TRUE(model.parameter(kChordSlot) == 0.0f || model.parameter(kChordSlot) == 1.0f);
    // The four maximum flows lie in four different decades, so the channels show different
    // numbers of decimals.
    std::set<int> decades;
    for (int k = 1; k <= 4; ++k)
        decades.insert(int(std::floor(std::log10(model.parameter(uint8_t(10 * k))))));
    EXPECT_EQ(decades.size(), 4u);
    for (int k = 1; k <= 4; ++k) {
        EXPECT_LT(model.parameter(uint8_t(10 * k + 1)), model.parameter(uint8_t(10 * k)));
        EXPECT_GT(model.parameter(uint8_t(10 * k + 3)), 0.0f); // diameter
    }
    for (int slot : {50, 72, 76, 77, 112, 116, 135, 138})
        EXPECT_NE(model.parameter(uint8_t(slot)), 0.0f) << slot;
    for (int slot : {120, 134, 139, 255})
        EXPECT_EQ(model.parameter(uint8_t(slot)), 0.0f) << slot;
}

TEST_F(Model, ClockRunsWithThePcAndIsSetByWrite) {
    QDateTime pc = test::fixedPcTime();
    model.clock = [&] { return pc; };
    ASSERT_TRUE(model.setClock(1403081704, 9));
    EXPECT_EQ(model.readClock().dateCode, 1403081704u);
    EXPECT_EQ(model.readClock().seconds, 9);
    pc = pc.addSecs(61);
    EXPECT_EQ(model.readClock().dateCode, 1403081705u);
    EXPECT_EQ(model.readClock().seconds, 10);
    // Dates and times that do not exist are refused and leave the clock alone.
    for (uint32_t bad : {1402301200u, 1413011200u, 1403322400u, 1403002400u, 1403081260u})
        EXPECT_FALSE(model.setClock(bad, 0)) << bad;
    EXPECT_FALSE(model.setClock(1403081704, 60));
    EXPECT_EQ(model.readClock().dateCode, 1403081705u);
}

TEST_F(Model, HourlyRecordsAddUpToTheDailyRecord) {
    for (QDate d = QDate(2014, 1, 1); d <= QDate(2014, 3, 19); d = d.addDays(1)) {
        int64_t sums[kArchiveQuantities] = {};
        for (int h = 0; h < 24; ++h)
            for (uint8_t q = 0; q < kArchiveQuantities; ++q) {
                const int32_t v = model.archiveInteger(kKindHourly, q, code(d, h));
                if (q >= kMainsQuantity) {
                    ASSERT_GE(v, 0);
                    ASSERT_LE(v, 10000);
                }
                sums[q] += v;
            }
        for (uint8_t q = 0; q < kArchiveQuantities; ++q)
            ASSERT_EQ(model.archiveInteger(kKindDaily, q, code(d, 23)), sums[q])
                << d.toString(Qt::ISODate).toStdString() << " quantity " << int(q);
        for (int c = 0; c < 4; ++c) {
            // Operating time never exceeds the mains time; the mean flow times it is the volume.
            const int32_t b = model.archiveInteger(kKindDaily, uint8_t(5 + c), code(d, 23));
            EXPECT_LE(b, sums[kMainsQuantity]);
            const double volume = double(model.archiveFloat(kKindDaily, uint8_t(c), code(d, 23))) *
                                  b / 10000 * model.history().volumeScale(c);
            EXPECT_NEAR(volume, double(sums[c]), 1e-4 * double(sums[c]) + 1);
        }
    }
}

TEST_F(Model, SomeDaysHaveMainsOutages) {
    int shortDays = 0;
    for (QDate d = QDate(2014, 1, 1); d < QDate(2014, 3, 1); d = d.addDays(1))
        if (model.archiveInteger(kKindDaily, kMainsQuantity, code(d, 23)) < 240000)
            ++shortDays;
    EXPECT_GE(shortDays, 3);
    EXPECT_LE(shortDays, 30);
}

TEST_F(Model, IntegratorsGrowByEachDaysRecord) {
    QDate d = QDate(2014, 2, 1);
    for (; d < QDate(2014, 3, 19); d = d.addDays(1))
        for (uint8_t q = 0; q < kArchiveQuantities; ++q) {
            const int32_t before =
                model.archiveInteger(kKindIntegrators, q, code(d.addDays(-1), 23));
            const int32_t after = model.archiveInteger(kKindIntegrators, q, code(d, 23));
            ASSERT_GT(before, 0);
            ASSERT_EQ(after - before, model.archiveInteger(kKindDaily, q, code(d, 23)));
            ASSERT_GE(after, before);
        }
}

TEST_F(Model, MonthlyRecordRunsFromReportingDayToReportingDay) {
    const int reportingDay = int(model.parameter(kReportingDaySlot));
    const QDate end(2014, 2, reportingDay), start(2014, 1, reportingDay);
    for (uint8_t q = 0; q < kArchiveQuantities; ++q)
        EXPECT_EQ(model.archiveInteger(kKindMonthly, q, code(end, 23)),
                  model.archiveInteger(kKindIntegrators, q, code(end, 23)) -
                      model.archiveInteger(kKindIntegrators, q, code(start, 23)));
    EXPECT_GT(model.archiveFloat(kKindMonthly, 0, code(end, 23)), 0.0f);
}

TEST_F(Model, RecordsTheMeterCannotHaveReadZero) {
    // The meter's "now" is 2014-03-20 about noon: today's hour 13 and the whole day are not over.
    const uint32_t unknown[][2] = {{kKindHourly, 1403201300},      {kKindDaily, 1403202300},
                                   {kKindIntegrators, 1403202300}, {kKindDaily, 1503012300},
                                   {kKindHourly, 1403002300},      {kKindDaily, 1403322300},
                                   {kKindHourly, 1403052400},      {kKindMonthly, 1404152300},
                                   {kKindDaily, 4294967295u},      {3, 1403052300}};
    for (const auto& u : unknown)
        for (uint8_t q = 0; q < 12; ++q) {
            EXPECT_EQ(model.archiveInteger(uint8_t(u[0]), q, u[1]), 0) << u[0] << " " << u[1];
            EXPECT_EQ(model.archiveFloat(uint8_t(u[0]), q, u[1]), 0.0f);
        }
    // Floats of quantities 4..8 and integers of quantities beyond 8 read 0.
    EXPECT_EQ(model.archiveFloat(kKindHourly, 4, code(day, 3)), 0.0f);
    EXPECT_EQ(model.archiveInteger(kKindHourly, 9, code(day, 3)), 0);
    EXPECT_GT(model.archiveInteger(kKindHourly, 4, 1403201000), 0);
}

TEST_F(Model, PresentValuesAdvanceWithTime) {
    QDateTime pc = test::fixedPcTime();
    model.clock = [&] { return pc; };
    int32_t before[13];
    for (uint8_t i = 0; i < 13; ++i)
        before[i] = model.currentInteger(i);
    pc = pc.addSecs(3600);
    for (uint8_t i : {0, 1, 2, 3, 9, 10, 11, 12})
        EXPECT_GT(model.currentInteger(i), before[i]) << int(i);
    EXPECT_LE(model.currentInteger(kCurrentMains) - before[kCurrentMains], 10000);
    EXPECT_GE(model.currentInteger(kCurrentMains), before[kCurrentMains]);
    for (uint8_t c = 0; c < 4; ++c) {
        EXPECT_GE(model.currentFloat(c), 0.0f);
        EXPECT_LE(model.currentFloat(c), model.parameter(uint8_t(10 * (c + 1))));
    }
    EXPECT_EQ(model.currentFloat(4), 0.0f);
    EXPECT_EQ(model.currentInteger(13), 0);
    EXPECT_EQ(model.currentInteger(255), 0);
}

TEST(MeterDate, MomentsAndCalendarDaysOfDateCodes) {
    EXPECT_EQ(dateCodeAt(wallTime(QDate(2007, 12, 31), 12, 34)), 712311234u);
    EXPECT_EQ(calendarDay(unpackDateCode(712311234)), QDate(2007, 12, 31));
    EXPECT_FALSE(calendarDay(unpackDateCode(903000700)).isValid());
}

} // namespace
} // namespace rt570::sim
