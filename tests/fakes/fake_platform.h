#pragma once
// A whole platform of in-memory fakes, for tests of the main window. The fakes stay reachable by type.
#include "fakes/fake_connectivity.h"
#include "fakes/fake_desktop_processes.h"
#include "fakes/fake_echo_service.h"
#include "fakes/fake_file_info.h"
#include "fakes/fake_interface_table.h"
#include "fakes/fake_name_resolver.h"
#include "fakes/fake_process_source.h"
#include "fakes/fake_process_terminator.h"
#include "fakes/fake_tcp_table.h"
#include "fakes/fake_thread_control.h"
#include "platform/platform.h"

namespace qb::test {

struct FakePlatform {
    Platform platform;
    FakeTcpTable* tcp;
    FakeProcessSource* processes;
    FakeThreadControl* threads;
    FakeInterfaceTable* interfaces;
    FakeConnectivity* connectivity;
    FakeFileInfo* files;

    FakePlatform()
    {
        platform.tcpTable = std::make_unique<FakeTcpTable>();
        platform.processes = std::make_unique<FakeProcessSource>();
        platform.terminator = std::make_unique<FakeProcessTerminator>();
        platform.files = std::make_unique<FakeFileInfo>();
        platform.threads = std::make_unique<FakeThreadControl>();
        platform.interfaces = std::make_unique<FakeInterfaceTable>();
        platform.connectivity = std::make_unique<FakeConnectivity>();
        platform.desktop = std::make_unique<FakeDesktopProcesses>();
        platform.echo = std::make_unique<FakeEchoService>();
        platform.resolver = std::make_shared<FakeNameResolver>();
        tcp = static_cast<FakeTcpTable*>(platform.tcpTable.get());
        processes = static_cast<FakeProcessSource*>(platform.processes.get());
        threads = static_cast<FakeThreadControl*>(platform.threads.get());
        interfaces = static_cast<FakeInterfaceTable*>(platform.interfaces.get());
        connectivity = static_cast<FakeConnectivity*>(platform.connectivity.get());
        files = static_cast<FakeFileInfo*>(platform.files.get());
    }
};

} // namespace qb::test
