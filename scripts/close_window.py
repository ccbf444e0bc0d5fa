#!/usr/bin/python3
"""Sends WM_DELETE_WINDOW to a window, as a window manager's close button does."""
import sys

from Xlib import X, display, protocol


def main():
    window_id = int(sys.argv[1], 0)
    d = display.Display()
    window = d.create_resource_object("window", window_id)
    protocols = d.intern_atom("WM_PROTOCOLS")
    delete = d.intern_atom("WM_DELETE_WINDOW")
    event = protocol.event.ClientMessage(window=window, client_type=protocols, data=(32, [delete, X.CurrentTime, 0, 0, 0]))
    window.send_event(event, event_mask=X.NoEventMask)
    # a round trip, not just a flush: closing the connection straight after a flush loses the message now
    # and then (about one close in twenty under Xvfb), and the program keeps running
    d.sync()
    d.close()


if __name__ == "__main__":
    main()
