#!/usr/bin/env python3
# Pings a window as a window manager does and prints how long each answer took.
import sys, time
from Xlib import X, display, protocol
d = display.Display()
root = d.screen().root
root.change_attributes(event_mask=X.StructureNotifyMask | X.SubstructureNotifyMask)
d.sync()
protocols = d.intern_atom('WM_PROTOCOLS')
ping = d.intern_atom('_NET_WM_PING')
win = d.create_resource_object('window', int(sys.argv[1], 0))
count = int(sys.argv[2])
answered = []
for i in range(count):
    ts = 5000 + i
    ev = protocol.event.ClientMessage(window=win, client_type=protocols,
                                      data=(32, [ping, ts, win.id, 0, 0]))
    win.send_event(ev, event_mask=X.NoEventMask)
    d.flush()
    t0 = time.time()
    got = None
    while time.time() - t0 < 3.0 and got is None:
        while d.pending_events():
            e = d.next_event()
            if (e.type == X.ClientMessage and e.client_type == protocols
                    and e.data[1][0] == ping and e.data[1][1] == ts):
                got = time.time() - t0
        time.sleep(0.002)
    answered.append(got)
    print(f"{time.strftime('%H:%M:%S')} ping {i}: " + (f"{got*1000:.0f} ms" if got is not None else "no answer"), flush=True)
    time.sleep(max(0.0, 0.6 - (time.time() - t0)))
ok = [a for a in answered if a is not None and a < 0.5]
print(f"answered within 0.5 s: {len(ok)} of {count}; slowest {max(a for a in answered if a is not None)*1000 if any(a is not None for a in answered) else -1:.0f} ms")
