// What a refresh view pays for one of its texts: a localized lookup in the refresh bundle (the
// language chosen, the table found in the bundle's cache, the key found), beside a plain lookup in
// an already parsed table. Also: parsing the bundle's table from its bytes, and formatting a
// last-updated time, beside building the formatter anew each time as the header does.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Date.h"
#include "platform/foundation/DateFormatter.h"
#include "platform/foundation/Locale.h"
#include "platform/foundation/StringsTable.h"

namespace {

const std::string kBundle = std::string(SPROUT_SOURCE_DIR) + "/resources/RFRefresh.bundle";

void BM_BaselineParsedTableFind(benchmark::State& state) {
  const auto bundle = platform::Bundle::bundleWithPath(kBundle);
  const auto table = bundle->stringsTable("", "zh-Hans");
  for (auto _ : state) {
    benchmark::DoNotOptimize(table.find("RFRefreshHeaderPullingText")->second);
  }
}
BENCHMARK(BM_BaselineParsedTableFind);

void BM_BundleLocalizedString(benchmark::State& state) {
  platform::Locale::setPreferredLanguagesForTesting(std::vector<std::string>{"zh-Hans-CN"});
  const auto bundle = platform::Bundle::bundleWithPath(kBundle);
  for (auto _ : state) {
    benchmark::DoNotOptimize(bundle->localizedString("RFRefreshHeaderPullingText"));
  }
  platform::Locale::setPreferredLanguagesForTesting(std::nullopt);
}
BENCHMARK(BM_BundleLocalizedString);

void BM_ParseStringsTable(benchmark::State& state) {
  std::ifstream in(kBundle + "/zh-Hans.lproj/Localizable.strings", std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), {});
  for (auto _ : state) benchmark::DoNotOptimize(platform::StringsTable::parse(bytes));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ParseStringsTable);

void BM_BaselineFormatWithKeptFormatter(benchmark::State& state) {
  platform::DateFormatter formatter;
  formatter.setDateFormat("yyyy-MM-dd HH:mm");
  const auto date = platform::Date::fromTimeIntervalSinceReferenceDate(8e8);
  for (auto _ : state) benchmark::DoNotOptimize(formatter.stringFromDate(date));
}
BENCHMARK(BM_BaselineFormatWithKeptFormatter);

void BM_FormatWithNewFormatter(benchmark::State& state) {
  const auto date = platform::Date::fromTimeIntervalSinceReferenceDate(8e8);
  for (auto _ : state) {
    platform::DateFormatter formatter;
    formatter.setDateFormat("yyyy-MM-dd HH:mm");
    benchmark::DoNotOptimize(formatter.stringFromDate(date));
  }
}
BENCHMARK(BM_FormatWithNewFormatter);

}  // namespace

BENCHMARK_MAIN();
