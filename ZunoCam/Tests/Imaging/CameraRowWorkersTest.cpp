#include "CameraRowWorkers.h"

#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

TEST(CameraRowWorkers, EveryRowRunsOnceWhateverTheThreadsAndCallers)
{
    struct Row {
        int threads;
        int rows;
        int minimumStripe;
    };
    for (const Row row : { Row { 1, 100, 8 }, Row { 2, 720, 32 }, Row { 3, 97, 5 }, Row { 4, 7, 32 } }) {
        CameraRowWorkers workers(row.threads);
        EXPECT_EQ(workers.threads(), row.threads);
        // Two callers at once, many loops each: one of them may run on its own thread alone.
        const auto loops = [&] {
            for (int loop = 0; loop < 200; ++loop) {
                std::vector<std::atomic<int>> seen(static_cast<std::size_t>(row.rows));
                workers.run(row.rows, row.minimumStripe, [&](int first, int end) {
                    for (int y = first; y < end; ++y)
                        seen[static_cast<std::size_t>(y)].fetch_add(1);
                });
                for (int y = 0; y < row.rows; ++y)
                    ASSERT_EQ(seen[static_cast<std::size_t>(y)].load(), 1)
                        << row.threads << " threads, row " << y << ", loop " << loop;
            }
        };
        std::thread other(loops);
        loops();
        other.join();
    }
}
