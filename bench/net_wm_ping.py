#!/usr/bin/python3
# Pings a window the way a desktop's window manager does (_NET_WM_PING) every PERIOD seconds for
# SECONDS seconds and prints how long each answer took; a ping unanswered after 2 s is missed.
#   net_wm_ping.py WINDOW_ID SECONDS [PERIOD]
# Needs python3-xlib. Listens on the root window for the answers, so run it where no window
# manager takes them first (e.g. a bare Xvfb).
import select
import sys
import time

from Xlib import X, display
from Xlib.protocol import event


def main():
    window_id = int(sys.argv[1], 0)
    seconds = float(sys.argv[2])
    period = float(sys.argv[3]) if len(sys.argv) > 3 else 0.5
    d = display.Display()
    root = d.screen().root
    root.change_attributes(event_mask=X.SubstructureNotifyMask)
    wm_protocols = d.intern_atom("WM_PROTOCOLS")
    ping = d.intern_atom("_NET_WM_PING")
    window = d.create_resource_object("window", window_id)
    answers = []
    end = time.monotonic() + seconds
    stamp = 1
    while time.monotonic() < end:
        sent = time.monotonic()
        msg = event.ClientMessage(window=window, client_type=wm_protocols,
                                  data=(32, [ping, stamp, window_id, 0, 0]))
        window.send_event(msg, event_mask=X.NoEventMask)
        d.flush()
        answered = None
        while answered is None and time.monotonic() - sent < 2.0:
            if d.pending_events() == 0:
                select.select([d.fileno()], [], [], 0.01)
            while d.pending_events():
                e = d.next_event()
                if (e.type == X.ClientMessage and e.window.id == root.id
                        and e.data[1][0] == ping and e.data[1][1] == stamp):
                    answered = time.monotonic() - sent
        answers.append(answered)
        print("ping %d: %s" % (stamp, "missed" if answered is None
                                else "%.1f ms" % (answered * 1000)), flush=True)
        stamp += 1
        rest = period - (time.monotonic() - sent)
        if rest > 0:
            time.sleep(rest)
    got = [a for a in answers if a is not None]
    print("answered %d of %d, slowest %s" % (
        len(got), len(answers), "%.1f ms" % (max(got) * 1000) if got else "-"))
    return 0 if got and len(got) == len(answers) else 1


if __name__ == "__main__":
    sys.exit(main())
