// SPDX-License-Identifier: GPL-3.0-or-later
// The open devices of one kind, by handle. Handles count up from 1 and are never given out
// again, so a call on a closed handle finds nothing rather than whatever device opened
// since. A device found stays alive for the caller (shared ownership) even if another
// thread closes it meanwhile; what a call may then still do is the device's own business.
#pragma once

#include <map>
#include <memory>
#include <mutex>

#include "platform/types.h"

namespace plat {

template <typename Handle, typename Device>
class HandleTable {
  public:
    // `make(handle)` builds the device that the new handle names.
    template <typename Make>
    Handle Add(Make make) {
        std::lock_guard<std::mutex> lock(m_mutex);
        const Handle handle = m_next++;
        m_devices[handle] = make(handle);
        return handle;
    }

    // Runs `call` on the open device (its result is the call's), or gives
    // MMSYSERR_INVALHANDLE.
    template <typename Call>
    MMRESULT With(Handle handle, Call call) const {
        std::shared_ptr<Device> device;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            const auto it = m_devices.find(handle);
            if (it == m_devices.end()) {
                return MMSYSERR_INVALHANDLE;
            }
            device = it->second;
        }
        return call(*device);
    }

    // Takes the device out of the table into `out`, unless `mayClose(device)` gives an
    // error, which is returned with the device left open.
    template <typename MayClose>
    MMRESULT Take(Handle handle, std::shared_ptr<Device>& out, MayClose mayClose) {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto it = m_devices.find(handle);
        if (it == m_devices.end()) {
            return MMSYSERR_INVALHANDLE;
        }
        if (const MMRESULT refused = mayClose(*it->second); refused != MMSYSERR_NOERROR) {
            return refused;
        }
        out = std::move(it->second);
        m_devices.erase(it);
        return MMSYSERR_NOERROR;
    }

  private:
    mutable std::mutex m_mutex;
    std::map<Handle, std::shared_ptr<Device>> m_devices;
    Handle m_next = 1;
};

}  // namespace plat
