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
    // Puts a new fake of type F into the platform's `slot` and returns it.
    template <class F, class Slot> static F* Fill(Slot& slot)
    {
        slot = std::make_unique<F>();
        return static_cast<F*>(slot.get());
    }

    Platform platform;
    FakeTcpTable* tcp = Fill<FakeTcpTable>(platform.tcpTable);
    FakeProcessSource* processes = Fill<FakeProcessSource>(platform.processes);
    FakeThreadControl* threads = Fill<FakeThreadControl>(platform.threads);
    FakeInterfaceTable* interfaces = Fill<FakeInterfaceTable>(platform.interfaces);
    FakeConnectivity* connectivity = Fill<FakeConnectivity>(platform.connectivity);
    FakeFileInfo* files = Fill<FakeFileInfo>(platform.files);
    FakeProcessTerminator* terminator = Fill<FakeProcessTerminator>(platform.terminator);
    FakeDesktopProcesses* desktop = Fill<FakeDesktopProcesses>(platform.desktop);
    FakeInputGrabs* grabs = Fill<FakeInputGrabs>(platform.grabs);
    FakeEchoService* echo = Fill<FakeEchoService>(platform.echo);
    FakeNameResolver* resolver = Fill<FakeNameResolver>(platform.resolver);
};

} // namespace qb::test
