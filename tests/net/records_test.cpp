#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "net/custom_instance_id.h"
#include "net/download_text_processor.h"
#include "net/downloader_task_dispatcher.h"
#include "net/request_url.h"
#include "net/segment_download_data_processor.h"
#include "recording_processor.h"

namespace {

DownloadTaskInfo Task(int64_t start, uint32_t length, const std::wstring& url = L"http://h/p",
                      const std::wstring& name = L"") {
    DownloadTaskInfo task;
    task.url = url;
    task.name = name;
    task.rangeStart = start;
    task.rangeLength = length;
    return task;
}

std::string Bytes(size_t n, char first = 'a') {
    std::string s;
    for (size_t i = 0; i < n; ++i) s.push_back(static_cast<char>(first + i % 26));
    return s;
}

TEST(DownloadTextProcessor, ByteOrderMarkAndAttempts) {
    struct Case {
        std::string body, out;
    } cases[] = {
        {"\xEF\xBB\xBF{}", "{}"},
        {"\xEF\xBB", "\xEF\xBB"},
        {"", ""},
        {"\xEF\xBB\xBF", ""},
        {"{}\xEF\xBB\xBF", "{}\xEF\xBB\xBF"},
    };
    for (const Case& c : cases) {
        DownloadTextProcessor p{DownloadTaskInfo()};
        ASSERT_EQ(p.BeginData(0), 1);
        if (!c.body.empty()) {
            ASSERT_EQ(p.WriteData(c.body.data(), static_cast<uint32_t>(c.body.size())), 1);
        }
        ASSERT_EQ(p.EndData(), 1);
        std::string out = "stale";
        ASSERT_EQ(p.GetData(&out), 1);
        EXPECT_EQ(out, c.out);
    }
    // A second attempt starts from nothing.
    DownloadTextProcessor p{DownloadTaskInfo()};
    p.BeginData(0);
    p.WriteData("first", 5);
    p.EndData();
    p.BeginData(0);
    p.WriteData("second", 6);
    p.EndData();
    std::string out;
    p.GetData(&out);
    EXPECT_EQ(out, "second");
}

struct SegmentFixture {
    explicit SegmentFixture(std::vector<DownloadTaskInfo> tasks) {
        segment = SegmentDownloadTaskInfo(tasks[0]);
        for (size_t i = 1; i < tasks.size(); ++i) {
            segment.tasks.push_back(tasks[i]);
            segment.rangeLength += tasks[i].rangeLength;
        }
        for (const DownloadTaskInfo& t : tasks) children.emplace_back(t);
    }
    std::vector<DownloadDataProcessor*> Pointers() {
        std::vector<DownloadDataProcessor*> p;
        for (RecordingProcessor& c : children) p.push_back(&c);
        return p;
    }
    SegmentDownloadTaskInfo segment;
    std::vector<RecordingProcessor> children;
};

TEST(SegmentDownloadDataProcessor, SplitsChunksAtTaskBoundaries) {
    SegmentFixture f({Task(1000, 10), Task(1010, 20)});
    SegmentDownloadDataProcessor p(f.segment, f.Pointers());
    const std::string body = Bytes(30);
    ASSERT_EQ(p.BeginData(30), 1);
    ASSERT_EQ(p.WriteData(body.data(), 15), 1);
    EXPECT_EQ(f.children[0].attemptBytes, body.substr(0, 10));
    EXPECT_EQ(f.children[1].attemptBytes, body.substr(10, 5));
    ASSERT_EQ(p.WriteData(body.data() + 15, 15), 1);
    EXPECT_EQ(f.children[1].attemptBytes, body.substr(10, 20));
    EXPECT_EQ(p.m_nPosition, 30);
    // A new attempt starts again at the segment's first byte.
    ASSERT_EQ(p.BeginData(30), 1);
    ASSERT_EQ(p.WriteData(body.data(), 3), 1);
    EXPECT_EQ(f.children[0].attemptBytes, body.substr(0, 3));
}

TEST(SegmentDownloadDataProcessor, WholeBodyGoesToEveryChild) {
    SegmentFixture f({Task(-1, 0), Task(-1, 0)});
    SegmentDownloadDataProcessor p(f.segment, f.Pointers());
    p.BeginData(0);
    p.WriteData("abc", 3);
    p.WriteData("de", 2);
    EXPECT_EQ(f.children[0].attemptBytes, "abcde");
    EXPECT_EQ(f.children[1].attemptBytes, "abcde");
    EXPECT_EQ(p.m_nPosition, 0);
}

TEST(SegmentDownloadDataProcessor, EveryChildIsCalledAndRefusalsAreReported) {
    SegmentFixture f({Task(0, 2), Task(2, 2), Task(4, 2)});
    f.children[1].refuseBegin = true;
    f.children[1].refuseWrite = true;
    f.children[2].refuseEnd = true;
    SegmentDownloadDataProcessor p(f.segment, f.Pointers());
    EXPECT_EQ(p.BeginData(6), 0);
    for (const RecordingProcessor& c : f.children) EXPECT_EQ(c.Count("begin"), 1);
    EXPECT_EQ(p.WriteData("abcdef", 6), 0);  // the refusing child does not stop the routing
    EXPECT_EQ(f.children[2].attemptBytes, "ef");
    EXPECT_EQ(p.EndData(), 0);
    for (const RecordingProcessor& c : f.children) EXPECT_EQ(c.Count("end"), 1);
}

TEST(SegmentDownloadDataProcessor, BytesNoChildCoversAreDropped) {
    // The middle task got no processor, and the server sends more than the range.
    SegmentFixture f({Task(0, 3), Task(3, 3), Task(6, 3)});
    std::vector<DownloadDataProcessor*> children = {&f.children[0], &f.children[2]};
    SegmentDownloadDataProcessor p(f.segment, children);
    p.BeginData(0);
    EXPECT_EQ(p.WriteData("abcdefghijklm", 13), 1);
    EXPECT_EQ(f.children[0].attemptBytes, "abc");
    EXPECT_EQ(f.children[2].attemptBytes, "ghi");
    EXPECT_EQ(p.m_nPosition, 13);
}

struct GroupCase {
    const char* what;
    std::vector<DownloadTaskInfo> tasks;
    std::vector<std::vector<std::wstring>> segments;  // task names per segment, in queue order
};

std::vector<std::vector<std::wstring>> Shape(std::vector<DownloadTaskInfo> tasks) {
    std::stable_sort(tasks.begin(), tasks.end(),
                     [](const DownloadTaskInfo& a, const DownloadTaskInfo& b) { return a.rangeStart < b.rangeStart; });
    std::vector<std::vector<std::wstring>> shape;
    for (const SegmentDownloadTaskInfo& s : DownloaderTaskDispatcher::GroupTasks(tasks)) {
        std::vector<std::wstring> names;
        uint32_t length = 0;
        for (const DownloadTaskInfo& t : s.tasks) {
            names.push_back(t.name);
            length += t.rangeLength;
        }
        EXPECT_EQ(s.rangeStart, s.tasks.front().rangeStart);
        EXPECT_EQ(s.rangeLength, length);
        shape.push_back(names);
    }
    return shape;
}

TEST(DownloaderTaskDispatcher, GroupsAdjacentRanges) {
    const uint32_t mb4 = 4u << 20;
    const GroupCase cases[] = {
        {"gap", {Task(0, 100, L"u", L"a"), Task(100, 100, L"u", L"b"), Task(300, 100, L"u", L"c")}, {{L"a", L"b"}, {L"c"}}},
        {"10 MiB", {Task(0, mb4, L"u", L"a"), Task(mb4, mb4, L"u", L"b"), Task(2 * mb4, mb4, L"u", L"c"),
                    Task(3 * mb4, mb4, L"u", L"d")}, {{L"a", L"b", L"c"}, {L"d"}}},
        {"descending", {Task(200, 100, L"u", L"c"), Task(100, 100, L"u", L"b"), Task(0, 100, L"u", L"a")},
         {{L"a", L"b", L"c"}}},
        {"same offset", {Task(0, 10, L"u", L"a"), Task(0, 10, L"u", L"b")}, {{L"a"}, {L"b"}}},
        {"same offset, empty first", {Task(0, 0, L"u", L"a"), Task(0, 10, L"u", L"b")}, {{L"a", L"b"}}},
        {"two addresses", {Task(0, 10, L"z", L"z1"), Task(0, 10, L"a", L"a1"), Task(10, 10, L"z", L"z2")},
         {{L"a1"}, {L"z1", L"z2"}}},
        {"whole bodies", {Task(-1, 0, L"u", L"a"), Task(-1, 0, L"u", L"b")}, {{L"a", L"b"}}},
        {"overlap", {Task(0, 10, L"u", L"a"), Task(5, 10, L"u", L"b")}, {{L"a"}, {L"b"}}},
        {"one big task", {Task(0, 11u << 20, L"u", L"a"), Task(11u << 20, 1, L"u", L"b")}, {{L"a"}, {L"b"}}},
    };
    for (const GroupCase& c : cases) EXPECT_EQ(Shape(c.tasks), c.segments) << c.what;

    // Another body is another key.
    DownloadTaskInfo posted = Task(10, 10, L"u", L"p");
    posted.postData = "x";
    EXPECT_EQ(Shape({Task(0, 10, L"u", L"a"), posted}), (std::vector<std::vector<std::wstring>>{{L"a"}, {L"p"}}));
}

TEST(RequestUrl, TimeParameterForms) {
    EXPECT_EQ(AddTimeParameter(L"http://h/a", L"5"), L"http://h/a?t=5");
    EXPECT_EQ(AddTimeParameter(L"http://h/a?x=1", L"5"), L"http://h/a?x=1&t=5");
    EXPECT_EQ(AddTimeParameter(L"http://h/a?", L"5"), L"http://h/a?t=5");
    EXPECT_EQ(AddTimeParameter(L"http://h/a?x", L"5"), L"http://h/a?xt=5");
}

TEST(RequestUrl, SecureFlagByPortOrScheme) {
    struct Case {
        const wchar_t* url;
        INTERNET_PORT port;
        bool secure;
    } cases[] = {
        {L"http://h/a", 80, false},          {L"http://h:443/a", 443, true},
        {L"https://h/a", 443, true},         {L"https://h:8443/a", 8443, true},
        {L"http://h:8001/notice", 8001, false},
    };
    for (const Case& c : cases) {
        RequestUrlParts parts;
        ASSERT_TRUE(ParseRequestUrl(c.url, &parts)) << c.url;
        EXPECT_EQ(parts.port, c.port) << c.url;
        const DWORD flags = RequestFlagsFor(parts);
        EXPECT_EQ((flags & INTERNET_FLAG_SECURE) != 0, c.secure) << c.url;
        EXPECT_EQ((flags & INTERNET_FLAG_EXISTING_CONNECT) != 0, !c.secure) << c.url;
        EXPECT_NE(flags & INTERNET_FLAG_NO_CACHE_WRITE, 0u) << c.url;
    }
    RequestUrlParts parts;
    ASSERT_TRUE(ParseRequestUrl(L"http://h:81/a/b?x=1&t=2", &parts));
    EXPECT_EQ(parts.server, L"h");
    EXPECT_EQ(parts.object, L"/a/b?x=1&t=2");
}

TEST(CCustomInstanceID, CountsUp) {
    CCustomInstanceID first;
    CCustomInstanceID second;
    EXPECT_GE(first.m_nInstanceId, 1);
    EXPECT_EQ(second.m_nInstanceId, first.m_nInstanceId + 1);
}

}  // namespace
