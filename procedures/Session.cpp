#include "procedures/Session.h"

namespace veltra {

namespace {
constexpr std::int64_t kShutdownStepMs = 100;
}

StartOutcome StartSession(ProgramObjects& objects, int modelIndex, int portIndex) {
    const bool modelOk = modelIndex >= 0 && modelIndex < int(kModels.size());
    const bool portOk = portIndex >= 0 && portIndex < int(kPorts.size());
    if (!modelOk || !portOk) {
        return StartOutcome::NoChoice;
    }
    const ModelInfo& model = kModels[std::size_t(modelIndex)];
    objects.choice.modelIndex = modelIndex;
    objects.choice.ModelNo = model.number;
    objects.factory.SetModelCode(model.code[0], model.code[1]);
    objects.link.SetModelCode(model.code[0], model.code[1]);

    const std::uint16_t code = kPorts[std::size_t(portIndex)].interfaceCode;
    objects.choice.PortKind = std::uint16_t(code & 0xFF00);
    if (objects.driver.OpenPort(code) != kOk) {
        return StartOutcome::OpenFailed;
    }
    if (objects.link.StartLink() != kOk) {
        return StartOutcome::LinkFailed;
    }
    return StartOutcome::Started;
}

void EndSession(ProgramObjects& objects, bool transLiquidDone) {
    if (!transLiquidDone) {
        TPD4Comm& link = objects.link;
        // Results are ignored, but a step that found the port silent or gone tells that the
        // printer has stopped answering: the steps after it are still sent, without waiting out
        // a time-out for each reply.
        const auto step = [&](Status s) {
            if (s == kPortFailure) {
                link.SetAwaitReplies(false);
            }
        };
        step(link.CloseChannel(kDataSocket, 0));
        objects.clock.sleepMs(kShutdownStepMs);
        step(link.SendRs());
        objects.clock.sleepMs(kShutdownStepMs);
        step(link.CloseChannel(kControlSocket, 0));
        objects.clock.sleepMs(kShutdownStepMs);
        (void)link.ExitTransport();
        link.SetAwaitReplies(true);
    }
    objects.driver.ClosePort();
}

}  // namespace veltra
