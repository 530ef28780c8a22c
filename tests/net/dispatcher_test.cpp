#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "net/downloader_task.h"
#include "net/downloader_task_dispatcher.h"
#include "recording_processor.h"
#include "transport_fixture.h"

namespace {

// The dispatcher's owner: one recording processor per task name, every result and every end.
class Owner : public DownloaderTaskProcessor {
public:
    const DownloadDataProcessor* CreateDataProcessor(const DownloadTaskInfo& task) override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (refuseProcessors) return nullptr;
        auto& slot = processors[task.name];
        slot = std::make_unique<RecordingProcessor>(task);
        return slot.get();
    }
    void OnTaskResult(const DownloadTaskResultInfo& result) override {
        std::lock_guard<std::mutex> lock(mutex_);
        results[result.name] = result.result;
        changed_.notify_all();
    }
    void OnAllTasksFinished() override {
        std::lock_guard<std::mutex> lock(mutex_);
        ++finished;
        changed_.notify_all();
    }
    bool WaitFinished(int count) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(30), [&] { return finished >= count; });
    }
    std::string Bytes(const std::wstring& name) {
        std::lock_guard<std::mutex> lock(mutex_);
        return processors.count(name) ? processors[name]->attemptBytes : std::string("<none>");
    }

    bool refuseProcessors = false;
    std::map<std::wstring, std::unique_ptr<RecordingProcessor>> processors;
    std::map<std::wstring, int32_t> results;
    int finished = 0;

private:
    std::mutex mutex_;
    std::condition_variable changed_;
};

DownloadTaskInfo Task(const std::wstring& name, int64_t start, uint32_t length, const std::wstring& file = L"/p.bin") {
    DownloadTaskInfo task;
    task.url = FaultServer::Url(file);
    task.name = name;
    task.rangeStart = start;
    task.rangeLength = length;
    return task;
}

std::string Content(size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i) s.push_back(static_cast<char>('A' + (i % 50)));
    return s;
}

// Objects made since this one, itself not counted.
int MadeSince(const CCustomInstanceID& probe) { return CCustomInstanceID().m_nInstanceId - probe.m_nInstanceId - 1; }

class DispatcherTest : public TransportTest {
protected:
    void SetUp() override {
        TransportTest::SetUp();
        ASSERT_TRUE(FaultServer::PutFile("p.bin", content));
        dispatcher = std::make_unique<DownloaderTaskDispatcher>();
        dispatcher->m_pProcessor = &owner;
    }
    void TearDown() override {
        dispatcher.reset();  // before the owner goes
        TransportTest::TearDown();
    }
    std::string Range(const RecordedRequest& r) {
        for (const std::string& line : r.headers)
            if (line.rfind("Range:", 0) == 0) return line;
        return "";
    }

    const std::string content = Content(1000);
    Owner owner;
    std::unique_ptr<DownloaderTaskDispatcher> dispatcher;
};

TEST_F(DispatcherTest, AdjacentTasksTravelInOneRequestAndEachGetsItsBytes) {
    std::vector<DownloadTaskInfo> tasks = {Task(L"c", 300, 100), Task(L"b", 100, 100), Task(L"a", 0, 100)};
    ASSERT_EQ(dispatcher->AddTasks(tasks), 1);
    ASSERT_TRUE(owner.WaitFinished(1));
    EXPECT_EQ(tasks[0].name, L"a");  // sorted in place
    const std::vector<RecordedRequest> log = FaultServer::Log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(Range(log[0]), "Range: bytes=0-199");
    EXPECT_EQ(Range(log[1]), "Range: bytes=300-399");
    EXPECT_EQ(owner.Bytes(L"a"), content.substr(0, 100));
    EXPECT_EQ(owner.Bytes(L"b"), content.substr(100, 100));
    EXPECT_EQ(owner.Bytes(L"c"), content.substr(300, 100));
    EXPECT_EQ(owner.results, (std::map<std::wstring, int32_t>{{L"a", 200}, {L"b", 200}, {L"c", 200}}));
    EXPECT_EQ(owner.finished, 1);
}

TEST_F(DispatcherTest, FailedRequestReportsEveryTaskOfItsSegment) {
    ASSERT_TRUE(FaultServer::AddRules(R"({"status": 404, "times": -1})"));
    std::vector<DownloadTaskInfo> tasks = {Task(L"a", 0, 10), Task(L"b", 10, 10)};
    dispatcher->AddTasks(tasks);
    ASSERT_TRUE(owner.WaitFinished(1));
    EXPECT_EQ(owner.results, (std::map<std::wstring, int32_t>{{L"a", 404}, {L"b", 404}}));
    EXPECT_EQ(FaultServer::Log().size(), 10u);  // ten attempts, one segment
    EXPECT_EQ(pauses, 10);
}

TEST_F(DispatcherTest, TasksWithoutProcessorsAreNotRequested) {
    owner.refuseProcessors = true;
    std::vector<DownloadTaskInfo> tasks = {Task(L"a", 0, 10), Task(L"b", 500, 10)};
    dispatcher->AddTasks(tasks);
    ASSERT_TRUE(owner.WaitFinished(1));
    EXPECT_EQ(owner.results, (std::map<std::wstring, int32_t>{{L"a", -1}, {L"b", -1}}));
    EXPECT_TRUE(FaultServer::Log().empty());
}

TEST_F(DispatcherTest, EmptyListReportsNothing) {
    std::vector<DownloadTaskInfo> none;
    EXPECT_EQ(dispatcher->AddTasks(none), 1);
    EXPECT_TRUE(dispatcher->m_activeTasks.empty());
    EXPECT_EQ(owner.finished, 0);
}

TEST_F(DispatcherTest, WorkerLimitAndPoolReuse) {
    dispatcher->m_nMaxWorkers = 3;
    ASSERT_TRUE(FaultServer::AddRules(R"({"hold": true, "times": -1})"));

    // Two segments: two workers.
    CCustomInstanceID first;
    std::vector<DownloadTaskInfo> batch1 = {Task(L"1a", 0, 10), Task(L"1b", 100, 10)};
    dispatcher->AddTasks(batch1);
    EXPECT_EQ(MadeSince(first), 2);
    ASSERT_TRUE(FaultServer::WaitForRequests(2));
    ASSERT_TRUE(FaultServer::Release());
    ASSERT_TRUE(owner.WaitFinished(1));

    // Three segments: the two pooled tasks and one new one.
    CCustomInstanceID second;
    std::vector<DownloadTaskInfo> batch2 = {Task(L"2a", 0, 10), Task(L"2b", 100, 10), Task(L"2c", 200, 10)};
    dispatcher->AddTasks(batch2);
    EXPECT_EQ(MadeSince(second), 1);
    ASSERT_TRUE(FaultServer::WaitForRequests(5));

    // Three workers are busy: more segments start none, the busy workers take them.
    CCustomInstanceID third;
    std::vector<DownloadTaskInfo> batch3 = {Task(L"3a", 300, 10), Task(L"3b", 400, 10)};
    dispatcher->AddTasks(batch3);
    EXPECT_EQ(MadeSince(third), 0);
    EXPECT_EQ(dispatcher->m_activeTasks.size(), 3u);
    ASSERT_TRUE(FaultServer::Release());
    ASSERT_TRUE(FaultServer::WaitForRequests(7));
    ASSERT_TRUE(FaultServer::Release());
    ASSERT_TRUE(owner.WaitFinished(2));
    EXPECT_EQ(owner.results.size(), 7u);
    for (const auto& r : owner.results) EXPECT_EQ(r.second, 200) << r.first.c_str();
    EXPECT_EQ(owner.finished, 2);  // once per batch that ran dry
    EXPECT_EQ(dispatcher->m_idleTasks.size(), 3u);
}

TEST_F(DispatcherTest, StopAllReportsTheRunningRequestsAndKeepsTheQueue) {
    dispatcher->m_nMaxWorkers = 2;
    ASSERT_TRUE(FaultServer::AddRules(R"({"hold": true, "stall_after": 4, "times": -1})"));
    std::vector<DownloadTaskInfo> tasks = {Task(L"a", 0, 10), Task(L"b", 100, 10), Task(L"c", 200, 10)};
    dispatcher->AddTasks(tasks);
    ASSERT_TRUE(FaultServer::WaitForRequests(2));
    dispatcher->StopAll();
    ASSERT_TRUE(FaultServer::Release());
    ASSERT_TRUE(owner.WaitFinished(1));
    EXPECT_EQ(owner.results, (std::map<std::wstring, int32_t>{{L"a", -2}, {L"b", -2}}));
    EXPECT_EQ(owner.finished, 1);
    EXPECT_EQ(pauses, 0);
    {
        fw::ScopedLock lock(dispatcher->m_lock);
        EXPECT_EQ(dispatcher->m_pending.size(), 1u);
    }
    dispatcher->ClearPending();
    EXPECT_TRUE(dispatcher->m_pending.empty());
}

TEST_F(DispatcherTest, DestroyingStopsAndJoinsTheWorkers) {
    ASSERT_TRUE(FaultServer::AddRules(R"({"stall_ms": 300, "stall_after": 2})"));
    std::vector<DownloadTaskInfo> tasks = {Task(L"a", 0, 10)};
    dispatcher->AddTasks(tasks);
    ASSERT_TRUE(FaultServer::WaitForRequests(1));
    dispatcher.reset();
    // The worker has ended: its result is in, nothing runs on.
    EXPECT_EQ(owner.results, (std::map<std::wstring, int32_t>{{L"a", -2}}));
}

TEST_F(TransportTest, StartArrivingAsTheWorkerRunsDryIsCarriedOut) {
    ASSERT_TRUE(FaultServer::PutFile("x", "xyz"));
    DownloaderTask task;
    int asked = 0;
    bool wanted = false;
    std::string body;
    std::unique_ptr<RecordingProcessor> processor;
    std::mutex mutex;
    std::condition_variable done;
    int finishedCount = 0;
    task.m_getSegment = [&](SegmentDownloadTaskInfo* segment) {
        ++asked;
        if (!wanted) {
            // Nothing to do yet; the owner's Start arrives right now, before the worker ends.
            wanted = true;
            EXPECT_EQ(task.Start(), 1);
            return 0;
        }
        if (asked > 2) return 0;
        DownloadTaskInfo info;
        info.url = FaultServer::Url(L"/x");
        *segment = SegmentDownloadTaskInfo(info);
        return 1;
    };
    task.m_createProcessor = [&](const DownloadTaskInfo& info) {
        processor = std::make_unique<RecordingProcessor>(info);
        return processor.get();
    };
    task.m_onResult = [&](const DownloadTaskResultInfo& r) { body = std::to_string(r.result) + " " + processor->attemptBytes; };
    task.m_onFinished = [&](DownloaderTask*) {
        std::lock_guard<std::mutex> lock(mutex);
        ++finishedCount;
        done.notify_all();
    };
    ASSERT_EQ(task.Start(), 1);
    std::unique_lock<std::mutex> lock(mutex);
    ASSERT_TRUE(done.wait_for(lock, std::chrono::seconds(30), [&] { return finishedCount == 1; }));
    EXPECT_EQ(body, "200 xyz");
    EXPECT_EQ(asked, 3);
}

}  // namespace
