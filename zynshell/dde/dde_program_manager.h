// DdeProgramManager: the backend of ProgramManager that keeps program groups
// through Program Manager's DDE interface ("PROGMAN"), spoken directly with
// window messages, atoms and global memory.
//
// Each object owns a hidden conversation window of the class "zynshell" on
// the thread that built it, opens one conversation (Initiate) and runs one
// transaction at a time on it: Request fetches a text item into the info
// buffer, Execute sends one command string. Every transaction waits on the
// calling thread for its answer, dispatching the conversation window's
// messages, and gives up after a bounded time (answerTimeout).
//
// Who frees what: the atom of an initiate broadcast is kept (so that later
// broadcasts and progmanAtom compare equal); progmanAtom is deleted once by
// each destruction; the atoms of an initiate acknowledgement, an item atom
// handed back by a negative acknowledgement or by a data answer that needs no
// acknowledgement, and the command memory handed back by an execute
// acknowledgement are deleted or freed here; data memory is freed here only
// when the server asks for it (fRelease).
#pragma once

#include "handles.h"

#include <windows.h>

#include <cstdint>

#include "dde/progman_rules.h"

namespace zynshell {

// The module-wide atom of "PROGMAN" (dde_window.cpp).
extern ATOM progmanAtom;

class DdeProgramManager : public ProgmanRules {
public:
    // Time-out of the initiate broadcast, per window that receives it.
    static constexpr uint32_t kAckTimeout = 6000;
    // How long a request or execute waits for Program Manager's answer. A
    // server may open a folder window for CreateGroup and ShowGroup before it
    // answers (Wine's waits up to 30 s for that window's process to become
    // idle), so the bound lies beyond that; a server that stays silent longer
    // is taken to be gone.
    static constexpr uint32_t kAnswerTimeout = 35000;
    // The longest the destruction waits for the server's terminate (never
    // longer than answerTimeout).
    static constexpr uint32_t kTerminateWait = 2000;

    // Throws ZynException when the window, the StartUp group name or
    // (platform kind 3) a Programs directory cannot be had, std::bad_alloc
    // without the info buffer; what was made by then is released, the window
    // included. The window knows its object (GWLP_USERDATA) from the end of
    // the construction to the start of the destruction.
    DdeProgramManager(int16_t ntFlag, int32_t platformKind);
    ~DdeProgramManager() override;

    ProgramFolder* OpenFolder(const char* name, int32_t type, int create) override;
    int FolderExists(const char* name, int32_t type) override;
    // Program Manager lists all its groups; no folder is needed.
    int ListSubFolders(ProgramFolder* folder) override;

    // The three transactions; 1/0 with lastError set on failure.
    int Initiate();
    int Request(const char* item);
    int Execute(const char* command);

    // The object of a conversation window, or null.
    static DdeProgramManager* OfWindow(HWND window);
    // Called by the window procedure of the class "zynshell".
    void OnAck(HWND sender, LPARAM lParam);
    void OnData(HWND sender, LPARAM lParam);

    HWND conversationWindow() const { return window_.get(); }

    uint32_t ackTimeout = kAckTimeout;
    uint32_t answerTimeout = kAnswerTimeout;
    uint32_t awaitedMessage = 0;  // WM_DDE_INITIATE, _REQUEST, _EXECUTE, or 0
    int32_t transactionFailed = 0;
    HWND serverWindow = nullptr;

private:
    int Transact(UINT message, const char* text);
    bool PostTransaction(UINT message, const char* text);
    void WaitForAnswer();
    void DiscardLateAnswers();
    void EndConversation();
    void DispatchPosted(const MSG& msg);
    void ReadStartupGroupName();
    int RegistryGroupExists(const char* name, int32_t type);
    bool GroupListHolds(const char* name);
    void ReleaseLateData(HWND sender, HGLOBAL data, ATOM item);
    void FailRequest();

    zyn::UniqueWindow window_;
    char applicationName_[8] = "PROGMAN";
    // What the awaited answer must carry: the item atom of a request, or the
    // command memory of an execute. Answers carrying anything else are late
    // answers of an earlier transaction.
    ATOM pendingItem_ = 0;
    HGLOBAL pendingCommand_ = nullptr;
    UINT_PTR timerId_ = 0;  // of the current wait
    bool dispatchingPosted_ = false;
};

}  // namespace zynshell
