// See job_submit.h.
#include "job_submit.h"

#include "lpd/lpd_submit.h"
#include "ports/port_job_settings.h"
#include "ui/message_ids.h"
#include "ui/messages.h"

namespace zynlpr {

namespace {

void JobUserName(char (&user)[zyn::kTextSize]) {
    DWORD cch = sizeof user;
    if (!GetUserNameA(user, &cch)) zyn::BoundedCopy(user, MessageText(MSG_UNKNOWN_USER));
    user[sizeof user - 1] = '\0';
}

}  // namespace

bool SubmitPortJob(const char* spoolFileName, const char* documentName, const char* portName,
                   JobMessages* messages) {
    JobMessages own;
    if (!messages) messages = &own;
    if (!portName) portName = "";
    PortJobSettings settings;
    if (!ReadPortJobSettings(portName, settings)) {
        messages->Report(kErrorBoxStyle, MSG_SEND_FAILED_PORT, portName);
        return false;
    }
    char user[zyn::kTextSize];
    JobUserName(user);

    LpdJob job;
    job.host = settings.host;
    job.queue = settings.queue;
    job.spoolFileName = spoolFileName ? spoolFileName : "";
    job.documentName = documentName ? documentName : "";
    job.user = user;
    job.banner = settings.banner;
    return LpdSubmitJob(job, messages) != LpdResult::kNotTaken;
}

}  // namespace zynlpr
