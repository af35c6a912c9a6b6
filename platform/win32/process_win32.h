// Starting programs on Windows with CreateProcess.
#pragma once

#include "platform/process_port.h"

namespace qnb::win32 {

class Win32Process : public ProcessPort {
public:
    Result<ProcessOutcome> Run(const ProcessRequest& request) override;
};

}  // namespace qnb::win32
