"""A code-signing certificate for the release tests, made with OpenSSL for one test run: a root
of its own (trusted by nothing else), a code-signing certificate it issued, in a PKCS#12 file
with a password, and an RFC 3161 time-stamp server on 127.0.0.1 whose certificate the same
root issued. Nothing of it is valid for longer than two days.
"""
import contextlib
import http.server
import os
import secrets
import subprocess
import tempfile
import threading

# The configuration of every certificate here, so that the machine's openssl.cnf adds nothing.
CONFIG = """
[req]
distinguished_name = name
[name]
[root]
basicConstraints = critical, CA:TRUE
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
[code_signing]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
[time_stamping]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = critical, timeStamping
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
"""

# What `openssl ts -reply` needs to answer a time-stamp query.
TIME_STAMP_CONFIG = """
[tsa]
default_tsa = throwaway
[throwaway]
serial = {folder}/tsa-serial
signer_cert = {folder}/tsa.pem
signer_key = {folder}/tsa.key
certs = {folder}/root.pem
signer_digest = sha256
default_policy = 1.3.6.1.4.1.99999.1
digests = sha256, sha384, sha512
ess_cert_id_alg = sha256
accuracy = secs:1
ordering = no
tsa_name = no
"""

SIGNER_NAME = "Rescindo release test signer"
ROOT_NAME = "Rescindo release test root"


def openssl(*arguments, folder):
    run = subprocess.run(["openssl", *arguments], cwd=folder, capture_output=True, text=True)
    if run.returncode != 0:
        raise RuntimeError(f"openssl {' '.join(arguments)} failed:\n{run.stderr}")


class Signer:
    """The files of a throwaway signer in folder: root.pem (the root certificate to trust),
    signer.p12 (key and certificate, with the password below), signer.pem."""

    def __init__(self, folder):
        self.folder = folder
        self.root = os.path.join(folder, "root.pem")
        self.pkcs12 = os.path.join(folder, "signer.p12")
        self.certificate = os.path.join(folder, "signer.pem")
        # Spaces and signs that a careless shell would split or expand.
        self.password = f"throwaway $pass {secrets.token_hex(8)} *"

    def make(self):
        os.makedirs(self.folder, exist_ok=True)
        with open(os.path.join(self.folder, "certificates.cnf"), "w") as out:
            out.write(CONFIG)
        key = ["-newkey", "rsa:2048", "-nodes", "-config", "certificates.cnf"]
        openssl("req", "-x509", *key, "-keyout", "root.key", "-out", "root.pem", "-days", "2",
                "-subj", f"/CN={ROOT_NAME}", "-extensions", "root", folder=self.folder)
        for name, section, subject in [
            ("signer", "code_signing", SIGNER_NAME),
            ("tsa", "time_stamping", "Rescindo release test time stamps"),
        ]:
            openssl("req", "-new", *key, "-keyout", f"{name}.key", "-out", f"{name}.csr",
                    "-subj", f"/CN={subject}", folder=self.folder)
            openssl("x509", "-req", "-in", f"{name}.csr", "-CA", "root.pem", "-CAkey", "root.key",
                    "-CAcreateserial", "-days", "2", "-extfile", "certificates.cnf",
                    "-extensions", section, "-out", f"{name}.pem", folder=self.folder)
        with open(os.path.join(self.folder, "tsa.cnf"), "w") as out:
            out.write(TIME_STAMP_CONFIG.format(folder=self.folder))
        # The password reaches openssl through a file here too, never its command line.
        password_file = os.path.join(self.folder, "export-password")
        with open(os.open(password_file, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o600), "w") as out:
            out.write(self.password)
        openssl("pkcs12", "-export", "-inkey", "signer.key", "-in", "signer.pem",
                "-certfile", "root.pem", "-out", "signer.p12", "-passout",
                f"file:{password_file}", folder=self.folder)
        os.remove(password_file)
        return self

    def answer_time_stamp_query(self, query):
        with tempfile.TemporaryDirectory(dir=self.folder) as work:
            query_file, reply_file = os.path.join(work, "query"), os.path.join(work, "reply")
            with open(query_file, "wb") as out:
                out.write(query)
            openssl("ts", "-reply", "-config", os.path.join(self.folder, "tsa.cnf"),
                    "-queryfile", query_file, "-out", reply_file, folder=self.folder)
            with open(reply_file, "rb") as reply:
                return reply.read()

    @contextlib.contextmanager
    def time_stamp_server(self):
        """Serves time stamps over HTTP on 127.0.0.1 while the block runs; yields the URL and
        a list that counts the queries answered."""
        signer = self
        answered = []

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_POST(self):
                query = self.rfile.read(int(self.headers.get("Content-Length", "0")))
                try:
                    reply, status = signer.answer_time_stamp_query(query), 200
                    answered.append(len(query))
                except RuntimeError as error:
                    reply, status = str(error).encode(), 500
                self.send_response(status)
                self.send_header("Content-Type", "application/timestamp-reply")
                self.send_header("Content-Length", str(len(reply)))
                self.end_headers()
                self.wfile.write(reply)

            def log_message(self, *arguments):
                pass

        server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
        thread = threading.Thread(target=server.serve_forever, daemon=True)
        thread.start()
        try:
            yield f"http://127.0.0.1:{server.server_address[1]}/", answered
        finally:
            server.shutdown()
            server.server_close()
