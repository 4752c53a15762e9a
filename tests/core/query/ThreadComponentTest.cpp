#include "core/query/ThreadComponent.h"

#include "tests/support/QueryFakes.h"

#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace cvt {
namespace {

using test::Gate;

// Records the handler calls of one component.
struct Recorder {
    std::mutex mutex;
    std::vector<std::uint64_t> activations;
    std::vector<bool> deactivatedAtStart;
    std::vector<std::string> errors;
    std::atomic<int> inside{0};
    std::atomic<bool> overlapped{false};

    void enter(const WorkerState& worker) {
        if (inside.fetch_add(1) != 0) {
            overlapped = true;
        }
        std::lock_guard lock(mutex);
        activations.push_back(worker.activation);
        deactivatedAtStart.push_back(worker.deactivated.load());
    }
    void leave() { inside.fetch_sub(1); }
    ThreadComponent::ErrorCallback errorSink() {
        return [this](const std::string& message) {
            std::lock_guard lock(mutex);
            errors.push_back(message);
        };
    }
};

TEST(ThreadComponentTest, HandlerThatDeactivatesItselfRunsOncePerActivation) {
    Recorder recorder;
    ThreadComponent* self = nullptr;
    ThreadComponent component(
        [&](const WorkerState& worker) {
            recorder.enter(worker);
            self->deactivateWorker(worker.activation);
            recorder.leave();
        },
        recorder.errorSink());
    self = &component;
    for (std::uint64_t round = 1; round <= 3; ++round) {
        EXPECT_EQ(component.activate(), round);
        component.waitIdle();
        EXPECT_FALSE(component.isActive());
        EXPECT_FALSE(component.isBusy());
    }
    EXPECT_EQ(recorder.activations, (std::vector<std::uint64_t>{1, 2, 3}));
    EXPECT_TRUE(recorder.errors.empty());
}

TEST(ThreadComponentTest, HandlerRunsOnceEvenWhenDeactivatedBeforeTheWorkerBegan) {
    Recorder recorder;
    Gate predecessorGate;
    ThreadComponent component(
        [&](const WorkerState& worker) {
            recorder.enter(worker);
            if (worker.activation == 1) {
                predecessorGate.wait();
            }
            recorder.leave();
        },
        recorder.errorSink());
    component.activate();
    predecessorGate.waitForWaiter();
    component.deactivate();
    // The second worker waits behind the first, and is deactivated before it can begin.
    ASSERT_EQ(component.activate(), 2u);
    component.deactivate();
    predecessorGate.open();
    component.waitIdle();
    EXPECT_EQ(recorder.activations, (std::vector<std::uint64_t>{1, 2}));
    EXPECT_EQ(recorder.deactivatedAtStart, (std::vector<bool>{false, true}));
}

TEST(ThreadComponentTest, NewWorkerWaitsForTheFinishingOneWithoutBlockingTheCaller) {
    Recorder recorder;
    Gate firstGate;
    ThreadComponent* self = nullptr;
    ThreadComponent component(
        [&](const WorkerState& worker) {
            recorder.enter(worker);
            if (worker.activation == 1) {
                firstGate.wait();
            }
            recorder.leave();
            self->deactivateWorker(worker.activation);
        },
        recorder.errorSink());
    self = &component;
    component.activate();
    firstGate.waitForWaiter();
    component.deactivate(); // stopping, but still inside its handler
    EXPECT_FALSE(component.isActive());
    EXPECT_TRUE(component.isBusy());
    EXPECT_EQ(component.activate(), 2u); // returns while the first is still held
    EXPECT_EQ(component.activate(), 0u) << "the second worker is active";
    {
        std::lock_guard lock(recorder.mutex);
        EXPECT_EQ(recorder.activations.size(), 1u);
    }
    firstGate.open();
    component.waitIdle();
    EXPECT_FALSE(recorder.overlapped.load());
    EXPECT_EQ(recorder.activations, (std::vector<std::uint64_t>{1, 2}));
    // The first handler's own late deactivation did not reach the second worker.
    EXPECT_EQ(recorder.deactivatedAtStart, (std::vector<bool>{false, false}));
}

TEST(ThreadComponentTest, EscapingErrorsAreReportedAndEndTheWorker) {
    struct Case {
        const char* what;
        std::function<void()> fail;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"std::exception", [] { throw std::runtime_error("table gone"); }, "table gone"},
        {"anything else", [] { throw 42; }, "Unknown error."},
    };
    for (const Case& c : cases) {
        Recorder recorder;
        ThreadComponent component([&](const WorkerState&) { c.fail(); }, recorder.errorSink());
        component.activate();
        component.waitIdle();
        EXPECT_FALSE(component.isActive()) << c.what;
        EXPECT_EQ(recorder.errors, std::vector<std::string>{c.message}) << c.what;
        // The component can be activated again after a failure.
        EXPECT_NE(component.activate(), 0u) << c.what;
        component.waitIdle();
        EXPECT_EQ(recorder.errors.size(), 2u) << c.what;
    }
}

} // namespace
} // namespace cvt
