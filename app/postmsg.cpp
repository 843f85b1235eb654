#include "postmsg.h"

PostMsg::PostMsg(QObject *parent) : QObject(parent) {}

// Created on first use, which happens on the GUI thread while the windows
// connect to it, before any other thread exists; never deleted.
PostMsg *PostMsg::instance()
{
    static PostMsg *hub = nullptr;
    if (!hub)
        hub = new PostMsg(nullptr);
    return hub;
}
