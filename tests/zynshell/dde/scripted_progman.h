// A scripted Program Manager for tests: a DDE server window on a thread of
// the test that answers the initiate for "PROGMAN" (or not, or with other
// atoms), records every execute string byte for byte and every request item,
// and answers each transaction as the test scripted it. It answers only
// conversations from windows of its own process, so that tests running at
// the same time in the same Wine prefix do not reach it.
#pragma once

#include "handles.h"

#include <windows.h>

#include <deque>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace zyntest {

enum class Answer {
    kAck,        // execute: positive acknowledgement
    kNack,       // execute or request: negative acknowledgement
    kData,       // request: a data answer (DataAnswer)
    kDataUnterminated,  // the same, its memory block ending without the text's terminator
    kSilence,    // no answer at all
    kTerminate,  // a WM_DDE_TERMINATE instead of an answer
    kVanish,     // terminate, then the server window is destroyed
};

struct DataAnswer {
    WORD format = CF_TEXT;
    bool ackReq = false;
    bool release = true;
    bool noMemory = false;       // data handle 0
    bool lateAck = false;        // a positive acknowledgement of its own follows, as Wine's server
                                 // sends one; it arrives just before the next answer
    std::string text;            // sent with its terminator
};

struct Step {
    Step(Answer a = Answer::kAck, DataAnswer d = {}) : answer(a), data(std::move(d)) {}
    Answer answer;
    DataAnswer data;
};

struct InitiateAnswer {
    InitiateAnswer(bool a = true, std::string app = "PROGMAN", std::string t = "PROGMAN")
        : answer(a), application(std::move(app)), topic(std::move(t)) {}
    bool answer;
    std::string application;
    std::string topic;  // empty: a topic atom of 0
};

class ScriptedProgman {
public:
    explicit ScriptedProgman(InitiateAnswer initiate = {});
    ~ScriptedProgman();
    ScriptedProgman(const ScriptedProgman&) = delete;
    ScriptedProgman& operator=(const ScriptedProgman&) = delete;

    bool ready() const { return window_ != nullptr; }
    HWND window() const { return window_; }

    // Answers for the next transactions, in order. Without a scripted step an
    // execute is acknowledged and a request answered with the groups
    // Accessories, Main and Tools as CF_TEXT data that the client releases.
    void Script(std::vector<Step> steps);

    // What the server saw, in order: "initiate", "execute:<text>",
    // "request:<item>", "ack:<status hex>:<item>", "terminate".
    std::vector<std::string> Log();
    std::vector<std::string> Executes();
    void ClearLog();
    // The order (over all servers) in which this one answered an initiate; 0 if never.
    int initiateOrder() const { return initiateOrder_; }

private:
    static DWORD WINAPI Run(void* self);
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    Step NextStep();
    void Note(const std::string& entry);
    void AnswerExecute(HWND client, LPARAM lParam);
    void AnswerRequest(HWND client, LPARAM lParam);
    void PostData(HWND client, ATOM item, const DataAnswer& data, bool terminated = true);
    void PostLateAck(HWND client);

    InitiateAnswer initiate_;
    HWND window_ = nullptr;
    zyn::UniqueKernelHandle thread_;
    zyn::UniqueKernelHandle ready_;
    DWORD threadId_ = 0;
    std::mutex mutex_;
    std::deque<Step> steps_;
    std::vector<std::string> log_;
    std::string groupList_ = "Accessories\r\nMain\r\nTools\r\n";
    int initiateOrder_ = 0;
    ATOM lateAck_ = 0;
};

}  // namespace zyntest
