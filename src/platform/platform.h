#pragma once
// The operating-system services the logic calls, as one bundle the program creates at start.
#include "platform/connectivity.h"
#include "platform/desktop_processes.h"
#include "platform/echo_service.h"
#include "platform/file_info_source.h"
#include "platform/input_grabs.h"
#include "platform/interface_table_source.h"
#include "platform/name_resolver.h"
#include "platform/process_source.h"
#include "platform/process_terminator.h"
#include "platform/tcp_table_source.h"
#include "platform/thread_control.h"

#include <memory>

namespace qb {

struct Platform {
    std::unique_ptr<TcpTableSource> tcpTable;
    std::unique_ptr<ProcessSource> processes;
    std::unique_ptr<ProcessTerminator> terminator;
    std::unique_ptr<FileInfoSource> files;
    std::unique_ptr<ThreadControl> threads;
    std::unique_ptr<InterfaceTableSource> interfaces;
    std::unique_ptr<Connectivity> connectivity;
    std::unique_ptr<DesktopProcesses> desktop;
    std::unique_ptr<InputGrabs> grabs;
    std::unique_ptr<EchoService> echo;
    std::shared_ptr<NameResolver> resolver; // shared with the look-up threads
};

} // namespace qb
