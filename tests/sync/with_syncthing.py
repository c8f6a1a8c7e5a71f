#!/usr/bin/env python3
"""Runs a command beside two real Syncthing instances that keep one folder in step.

    with_syncthing.py WORKDIR -- COMMAND...

Both run on 127.0.0.1 with fixed ports, without discovery, relays or NAT traversal, and with a
watcher delay of one second; each shares its folder with the other. Once they are connected
and both folders are idle, COMMAND runs with PELMOR_SYNC_A and PELMOR_SYNC_B naming the two
folders. Afterwards both are stopped by their process ids, whatever happened.
"""
import fcntl
import json
import os
import shutil
import signal
import subprocess
import sys
import time
import urllib.request

FOLDER_ID = "pelmor"
FOLDER_NAME = "同期 フォルダ"  # a space and Japanese characters, as users name folders
PEERS = {"A": {"gui": 18384, "listen": 22001}, "B": {"gui": 18385, "listen": 22002}}

CONFIG = """<configuration version="36">
{devices}
    <folder id="{folder_id}" label="Pelmor" path="{path}" type="sendreceive" rescanIntervalS="3600"
            fsWatcherEnabled="true" fsWatcherDelayS="1" ignorePerms="false" autoNormalize="true">
{folder_devices}
    </folder>
    <gui enabled="true" tls="false"><address>127.0.0.1:{gui}</address><apikey>{key}</apikey></gui>
    <options>
        <listenAddress>tcp://127.0.0.1:{listen}</listenAddress>
        <globalAnnounceEnabled>false</globalAnnounceEnabled>
        <localAnnounceEnabled>false</localAnnounceEnabled>
        <relaysEnabled>false</relaysEnabled>
        <natEnabled>false</natEnabled>
        <startBrowser>false</startBrowser>
        <urAccepted>-1</urAccepted>
        <autoUpgradeIntervalH>0</autoUpgradeIntervalH>
        <crashReportingEnabled>false</crashReportingEnabled>
        <reconnectionIntervalS>1</reconnectionIntervalS>
    </options>
</configuration>
"""


def rest(peer, path):
    request = urllib.request.Request("http://127.0.0.1:%d%s" % (PEERS[peer]["gui"], path),
                                     headers={"X-API-Key": "pelmor-" + peer})
    with urllib.request.urlopen(request, timeout=2) as answer:
        return json.loads(answer.read())


def wait_for(what, condition, seconds=90):
    end = time.time() + seconds
    while time.time() < end:
        try:
            if condition():
                return
        except OSError:
            pass  # not listening yet
        time.sleep(0.2)
    raise SystemExit("syncthing: gave up waiting for " + what)


def main():
    work, command = os.path.abspath(sys.argv[1]), sys.argv[sys.argv.index("--") + 1:]
    # The ports are fixed: runs from other work trees of this machine take turns.
    lock = open("/tmp/pelmor-syncthing.lock", "w")
    fcntl.flock(lock, fcntl.LOCK_EX)
    shutil.rmtree(work, ignore_errors=True)
    ids, processes = {}, {}
    for peer in PEERS:
        home = os.path.join(work, peer, "home")
        subprocess.run(["syncthing", "generate", "--home=" + home, "--no-default-folder", "--skip-port-probing"],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        ids[peer] = subprocess.run(["syncthing", "serve", "--home=" + home, "--device-id"], check=True,
                                   capture_output=True, text=True).stdout.strip()
    for peer in PEERS:
        other = "B" if peer == "A" else "A"
        folder = os.path.join(work, peer, FOLDER_NAME)
        os.makedirs(os.path.join(folder, ".stfolder"))
        # Only A dials: two engines dialling each other at once wait 20 s for a timed-out handshake.
        address = lambda p: "tcp://127.0.0.1:%d" % PEERS[p]["listen"] if peer == "A" and p == other else "dynamic"
        devices = "\n".join('    <device id="%s" name="%s"><address>%s</address></device>' % (ids[p], p, address(p))
                            for p in PEERS)
        folder_devices = "\n".join('        <device id="%s"></device>' % ids[p] for p in PEERS)
        with open(os.path.join(work, peer, "home", "config.xml"), "w") as f:
            f.write(CONFIG.format(devices=devices, folder_id=FOLDER_ID, path=folder, folder_devices=folder_devices,
                                  gui=PEERS[peer]["gui"], key="pelmor-" + peer, listen=PEERS[peer]["listen"]))
    try:
        for peer in PEERS:
            log = open(os.path.join(work, peer, "syncthing.log"), "w")
            processes[peer] = subprocess.Popen(
                ["syncthing", "serve", "--home=" + os.path.join(work, peer, "home"), "--no-browser", "--no-restart",
                 "--no-upgrade"], stdout=log, stderr=subprocess.STDOUT,
                env=dict(os.environ, STNODEFAULTFOLDER="1", STNOUPGRADE="1"))
        for peer in PEERS:
            other = "B" if peer == "A" else "A"
            wait_for(peer + " connected to " + other,
                     lambda: rest(peer, "/rest/system/connections")["connections"][ids[other]]["connected"])
            wait_for(peer + "'s folder idle",
                     lambda: rest(peer, "/rest/db/status?folder=" + FOLDER_ID)["state"] == "idle")
        env = dict(os.environ, PELMOR_SYNC_A=os.path.join(work, "A", FOLDER_NAME),
                   PELMOR_SYNC_B=os.path.join(work, "B", FOLDER_NAME))
        return subprocess.run(command, env=env).returncode
    finally:
        for process in processes.values():
            os.kill(process.pid, signal.SIGTERM)
        for process in processes.values():
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                os.kill(process.pid, signal.SIGKILL)
                process.wait()


if __name__ == "__main__":
    sys.exit(main())
