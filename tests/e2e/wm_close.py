#!/usr/bin/python3
"""Asks a window to close the way a window manager does: a WM_DELETE_WINDOW
client message. Usage: wm_close.py <window id>"""
import sys

from Xlib import X, display, protocol

d = display.Display()
win = d.create_resource_object("window", int(sys.argv[1]))
wm_protocols = d.intern_atom("WM_PROTOCOLS")
wm_delete = d.intern_atom("WM_DELETE_WINDOW")
event = protocol.event.ClientMessage(window=win, client_type=wm_protocols, data=(32, [wm_delete, X.CurrentTime, 0, 0, 0]))
win.send_event(event, event_mask=X.NoEventMask)
d.sync()
d.close()
