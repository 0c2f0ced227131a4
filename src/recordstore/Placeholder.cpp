// Record store: see Engine.h
