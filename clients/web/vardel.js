// vardel-puente: a teller page's client of the Vardel web bridge (`vardel
// serve`), protocol v1 (docs/web-bridge.md). An ES module without
// dependencies; its types are in index.d.ts.
//
//   import { Puente } from 'vardel-puente';
//   const puente = new Puente({ puerto: 8765 });
//   for (const evento of puente.historial()) muestra(evento);  // after a reload
//   puente.on('documento', async (evento) => { ...show it and register it... });
//   puente.conecta();
//   const respuesta = await puente.leer();
//
// What it takes care of:
// - A document is acknowledged to the bridge once its handlers have
//   returned (or their promises resolved); a document whose handler threw
//   is not, and the bridge sends it again after a reconnection.
// - Each document reaches the handlers once per browser tab: the numbers
//   already handed, the session's token and what the page was shown are
//   kept in sessionStorage under the bridge's base URL, so a reload resumes
//   the session, gets what it missed, and can show again (historial()) what
//   it had shown. Document numbers name one cheque across the bridge's
//   restarts, so the numbers are kept when the token changes.
// - It connects, and reconnects after any loss, with an exponential
//   back-off with jitter, for as long as the page wants (cierra() stops),
//   so a bridge that starts after the page, or comes back after a stop, is
//   found.
// - A failed attempt says why: nothing listens ('sin_puente'), or the
//   bridge answers but does not allow this page's origin
//   ('origen_no_permitido').

export const PUERTO_PREDETERMINADO = 8765;
export const MAX_HISTORIAL = 500;

// The events a read shows the teller, kept for a reloaded page.
const TIPOS_HISTORIAL = new Set([
  'documento',
  'atasco',
  'mensaje',
  'captura_fallida',
  'error_lectora',
  'resumen',
  'lectora_perdida',
  'detenida',
  'lectura_interrumpida',
]);
// The events that end a read, and the `final` its answer would carry.
const FINALES = {
  resumen: 'completa',
  lectora_perdida: 'lectora_perdida',
  detenida: 'detenida',
  lectura_interrumpida: 'interrumpida',
};
// How long a read whose answer was lost with a connection waits, after a
// welcome that says no read runs, for its answer among the deferred messages.
const ESPERA_RESPUESTA_PERDIDA_MS = 2000;
const GUIA_IT = 'docs/web-bridge-it.md';

// An answer with ok:false (numero, descripcion, detalle from the bridge), or
// a failure of the connection (codigo).
export class ErrorPuente extends Error {
  constructor(descripcion, { numero = null, detalle = null, codigo = null } = {}) {
    super(detalle ? `${descripcion}: ${detalle}` : descripcion);
    this.name = 'ErrorPuente';
    this.codigo = codigo;
    this.numero = numero;
    this.descripcion = descripcion;
    this.detalle = detalle;
  }
}

// The tab's sessionStorage, or null where the page may not use it (an
// opaque origin, storage disabled): then nothing outlives the page.
function almacenDeLaPestana() {
  try {
    return globalThis.sessionStorage ?? null;
  } catch {
    return null;
  }
}

export class Puente {
  // puerto, host: where the bridge listens. reconexionMs: the first wait
  // before connecting again; it doubles at each failure up to
  // reconexionMaximaMs, and each wait is drawn between half of it and all
  // of it, so the pages of a branch do not come back all at once.
  // acuseAutomatico: false to call recibido() yourself. almacen: where the
  // session is kept (a Storage; null for none). maxHistorial: how many
  // documents (and events) are kept.
  constructor({
    puerto = PUERTO_PREDETERMINADO,
    host = '127.0.0.1',
    reconexionMs = 500,
    reconexionMaximaMs = 10_000,
    acuseAutomatico = true,
    almacen = almacenDeLaPestana(),
    maxHistorial = MAX_HISTORIAL,
  } = {}) {
    const anfitrion = host.includes(':') && !host.startsWith('[') ? `[${host}]` : host;
    this.base = `http://${anfitrion}:${puerto}`;
    this.baseWs = `ws://${anfitrion}:${puerto}`;
    this.reconexionMs = reconexionMs;
    this.reconexionMaximaMs = Math.max(reconexionMs, reconexionMaximaMs);
    this.acuseAutomatico = acuseAutomatico;
    this.almacen = almacen;
    this.clave = `vardel-puente ${this.base}`;
    this.maxHistorial = maxHistorial;

    this.token = null;
    this.version = null;
    this.bienvenida = null;
    this.socket = null;
    this.manejadores = new Map();
    this.pendientes = new Map();
    this.siguienteId = 1;
    // Numbers handed to the handlers, and acknowledged by the page (the same
    // with acuseAutomatico), oldest first; numbers whose handlers run now.
    this.entregados = new Set();
    this.acusados = new Set();
    this.enCurso = new Set();
    // What the page was shown, in arrival order: {evento, listo}; a document
    // is listo once its handlers are done, and only listo entries are kept.
    this.entradas = [];

    this.cerrado = true;
    this.intentando = false;
    this.temporizador = null;
    this.fallos = 0;
    this.esperandoBienvenida = [];
    this.carga();
  }

  // Handlers by event `tipo`: every event of the protocol (documento,
  // atasco, resumen, lectora, ...), 'conexion' (this client's own: the
  // connection's state) and '*' for all of them. A 'documento' handler may
  // return a promise: the document is acknowledged when it resolves.
  on(tipo, manejador) {
    if (!this.manejadores.has(tipo)) this.manejadores.set(tipo, []);
    this.manejadores.get(tipo).push(manejador);
    return this;
  }

  off(tipo, manejador) {
    const lista = this.manejadores.get(tipo);
    const i = lista ? lista.indexOf(manejador) : -1;
    if (i >= 0) lista.splice(i, 1);
    return this;
  }

  // What this tab's page was shown before a reload, oldest first: the
  // documents its handlers finished with and the other events of its reads
  // (atasco, resumen, ...), up to maxHistorial. A reloaded page shows these
  // first; none of these documents reaches the handlers again.
  historial() {
    return this.entradas.filter((e) => e.listo).map((e) => structuredClone(e.evento));
  }

  // Forgets what the page was shown (a new customer); the numbers already
  // handed are kept, so no document is handed twice.
  limpiaHistorial() {
    this.entradas = this.entradas.filter((e) => !e.listo);
    this.guarda();
  }

  // The health answer of GET /v1/estado. It is also where the browser asks
  // for (or applies the policy of) local-network access. When it fails, a
  // second request that needs no CORS tells whether anything listens: the
  // error's codigo is 'sin_puente' when nothing does, 'origen_no_permitido'
  // when the bridge answers but not to this page's origin.
  async salud() {
    const url = `${this.base}/v1/estado`;
    let respuesta;
    try {
      respuesta = await fetch(url, { cache: 'no-store' });
    } catch (error) {
      let escucha = false;
      try {
        // An opaque answer: something answered, whatever it said.
        await fetch(url, { mode: 'no-cors', cache: 'no-store' });
        escucha = true;
      } catch {
        // a network error: nothing listens there
      }
      const origen = globalThis.location?.origin ?? 'de esta página';
      throw escucha
        ? new ErrorPuente('el puente no admite esta página', {
            codigo: 'origen_no_permitido',
            detalle:
              `el puente de ${this.base} responde, pero no tiene permitido el origen ${origen}: ` +
              `añádalo a Origenes en la sección [Puente] de Config.ini y reinicie el puente (${GUIA_IT})`,
          })
        : new ErrorPuente('el puente no responde', {
            codigo: 'sin_puente',
            detalle:
              `nada responde en ${this.base} (${error.message}): compruebe que vardel serve está en ` +
              `marcha en este equipo con ese puerto; si lo está, el navegador no deja a la página ` +
              `llegar al equipo (${GUIA_IT})`,
          });
    }
    if (!respuesta.ok) {
      throw new ErrorPuente('el puente no atiende', { codigo: 'estado', detalle: `${url}: HTTP ${respuesta.status}` });
    }
    return respuesta.json();
  }

  // Starts connecting (and reconnecting, until cierra()) and resolves with
  // the next welcome. Failed attempts are told through 'conexion' events;
  // the promise waits for the bridge as long as it takes.
  conecta() {
    this.cerrado = false;
    if (this.bienvenida && this.abierto()) return Promise.resolve(this.bienvenida);
    const espera = new Promise((resolver, rechazar) => this.esperandoBienvenida.push({ resolver, rechazar }));
    if (!this.intentando && !this.socket) this.intenta();
    return espera;
  }

  // Closes for good: no reconnection. The kept session stays for a reload.
  cierra() {
    this.cerrado = true;
    clearTimeout(this.temporizador);
    this.temporizador = null;
    for (const { rechazar } of this.esperandoBienvenida.splice(0)) {
      rechazar(new ErrorPuente('conexión cerrada por la página', { codigo: 'cerrada' }));
    }
    if (this.socket) {
      this.socket.close(1000);
    } else {
      this.emite('conexion', this.estadoConexion('cerrado'));
    }
  }

  // Sends a request and resolves with its answer (ok:true), or rejects with
  // an ErrorPuente (ok:false, e.g. descripcion "ocupada"; or codigo
  // 'sin_conexion' / 'conexion_perdida').
  pide(orden, campos = {}) {
    if (!this.abierto()) {
      return Promise.reject(new ErrorPuente('sin conexión con el puente', { codigo: 'sin_conexion' }));
    }
    const id = this.siguienteId++;
    return new Promise((resolver, rechazar) => {
      this.pendientes.set(id, { orden, resolver, rechazar, huerfana: false, temporizador: null });
      this.socket.send(JSON.stringify({ id, orden, ...campos }));
    });
  }

  // Reads the tray; resolves after the read's summary, with the answer. A
  // read whose connection drops goes on at the bridge: this resolves when
  // its answer or its end comes through the next connection (final null
  // when the answer itself was lost).
  leer() {
    return this.pide('leer');
  }

  // Whether a reader is connected.
  estado() {
    return this.pide('estado');
  }

  // Presence events ('lectora') on or off, for this connection.
  vigilar(activo = true) {
    return this.pide('vigilar', { activo });
  }

  // Tells the bridge the page has document n safe: it is not sent again.
  // Called by the client itself unless acuseAutomatico is false. Sent again
  // when the bridge sends the document again after a reconnection.
  recibido(documento) {
    this.acusados.delete(documento);
    this.acusados.add(documento);
    this.recorta(this.acusados);
    this.guarda();
    this.enviaAcuse(documento);
  }

  // An image of a document (a URL of its `imagenes`) as a Blob, fetched
  // with the session's token. <img src> cannot send the token: show it
  // through URL.createObjectURL(blob).
  async imagen(url) {
    if (!this.token) throw new ErrorPuente('imagen no disponible', { codigo: 'sin_conexion', detalle: url });
    const respuesta = await fetch(new URL(url, this.base), {
      headers: { Authorization: `Bearer ${this.token}` },
      cache: 'no-store',
    });
    if (!respuesta.ok) {
      throw new ErrorPuente('imagen no disponible', { codigo: 'imagen', detalle: `${url}: HTTP ${respuesta.status}` });
    }
    return respuesta.blob();
  }

  // --- the connection ---

  abierto() {
    return Boolean(this.socket) && this.socket.readyState === WebSocket.OPEN && this.bienvenida !== null;
  }

  // One attempt: the health request (which tells why when it fails), then
  // the WebSocket until its welcome. A failure waits and tries again.
  async intenta() {
    if (this.cerrado || this.intentando || this.socket) return;
    this.intentando = true;
    clearTimeout(this.temporizador);
    this.temporizador = null;
    let fallo = null;
    try {
      await this.salud();
      if (!this.cerrado) await this.abre();
    } catch (error) {
      fallo = error instanceof ErrorPuente ? error : new ErrorPuente('conexión fallida', { detalle: String(error) });
    }
    this.intentando = false;
    if (fallo && !this.cerrado) this.reintenta(fallo);
  }

  // The next attempt after an exponential back-off with jitter.
  reintenta(error) {
    this.fallos += 1;
    const tope = Math.min(this.reconexionMaximaMs, this.reconexionMs * 2 ** Math.min(this.fallos - 1, 30));
    const esperaMs = Math.round(tope / 2 + (Math.random() * tope) / 2);
    clearTimeout(this.temporizador);
    this.temporizador = setTimeout(() => this.intenta(), esperaMs);
    this.emite('conexion', { ...this.estadoConexion('esperando'), esperaMs, error });
  }

  estadoConexion(estado) {
    return {
      tipo: 'conexion',
      estado,
      conectado: estado === 'conectado',
      reconectando: estado === 'esperando',
      intento: this.fallos,
      esperaMs: null,
      error: null,
      bienvenida: estado === 'conectado' ? this.bienvenida : null,
    };
  }

  // Opens the WebSocket with the kept token, if any, and resolves on the
  // welcome; rejects when it closes before (a refused handshake).
  abre() {
    const url = new URL('/v1/lectora', this.baseWs);
    if (this.token) url.searchParams.set('token', this.token);
    return new Promise((resolver, rechazar) => {
      const socket = new WebSocket(url);
      this.socket = socket;
      let bienvenido = false;
      socket.onmessage = (mensaje) => {
        if (this.socket !== socket) return;
        let evento;
        try {
          evento = JSON.parse(mensaje.data);
        } catch {
          return;
        }
        if (evento === null || typeof evento !== 'object') return;
        if (evento.tipo === 'bienvenida' && !bienvenido) {
          bienvenido = true;
          this.bienvenido(evento);
          resolver(evento);
          return;
        }
        this.recibe(evento);
      };
      socket.onclose = (cierre) => {
        if (this.socket !== socket) return;
        this.socket = null;
        this.bienvenida = null;
        if (bienvenido) {
          this.perdida(cierre);
        } else {
          if (this.cerrado) this.emite('conexion', this.estadoConexion('cerrado'));
          // Refused (403, 503 with too many sessions: 1006 to the page):
          // the caller waits and tries again.
          rechazar(
            new ErrorPuente('conexión rechazada por el puente', {
              codigo: 'rechazada',
              detalle: `código ${cierre.code}${cierre.reason ? `, ${cierre.reason}` : ''}`,
            }),
          );
        }
      };
    });
  }

  // The welcome: its token is the session's from now on (a page may take
  // up another session of its origin, or get a new one after the bridge
  // restarted); the numbers handed are kept either way.
  bienvenido(evento) {
    this.token = evento.token;
    this.version = evento.version;
    this.bienvenida = evento;
    this.fallos = 0;
    this.guarda();
    // A read whose answer went with the dropped connection: the welcome
    // says whether it still runs; if not, its answer may come among the
    // deferred messages, or never.
    if (!evento.leyendo) {
      for (const [id, pendiente] of this.pendientes) {
        if (!pendiente.huerfana || pendiente.temporizador) continue;
        pendiente.temporizador = setTimeout(() => {
          if (this.pendientes.get(id) !== pendiente) return;
          this.pendientes.delete(id);
          pendiente.resolver({ tipo: 'respuesta', id, ok: true, final: null });
        }, ESPERA_RESPUESTA_PERDIDA_MS);
      }
    }
    this.emite('bienvenida', evento);
    this.emite('conexion', this.estadoConexion('conectado'));
    for (const { resolver } of this.esperandoBienvenida.splice(0)) resolver(evento);
  }

  // The connection dropped: requests in flight fail, but for a read, which
  // goes on at the bridge and ends with its summary; then reconnect.
  perdida(cierre) {
    for (const [id, pendiente] of this.pendientes) {
      if (pendiente.orden === 'leer' && !this.cerrado) {
        pendiente.huerfana = true;
        clearTimeout(pendiente.temporizador);
        pendiente.temporizador = null;
      } else {
        this.termina(id, pendiente, new ErrorPuente('conexión perdida', { codigo: 'conexion_perdida' }));
      }
    }
    if (this.cerrado) {
      this.emite('conexion', this.estadoConexion('cerrado'));
      return;
    }
    const detalle = `código ${cierre.code}${cierre.reason ? `, ${cierre.reason}` : ''}`;
    this.reintenta(new ErrorPuente('conexión perdida', { codigo: 'conexion_perdida', detalle }));
  }

  termina(id, pendiente, error) {
    clearTimeout(pendiente.temporizador);
    this.pendientes.delete(id);
    pendiente.rechazar(error);
  }

  // --- the events ---

  recibe(evento) {
    if (evento.tipo === 'respuesta') {
      const pendiente = this.pendientes.get(evento.id);
      if (pendiente) {
        clearTimeout(pendiente.temporizador);
        this.pendientes.delete(evento.id);
        if (evento.ok) {
          pendiente.resolver(evento);
        } else {
          pendiente.rechazar(
            new ErrorPuente(evento.descripcion, { numero: evento.numero, detalle: evento.detalle }),
          );
        }
      }
      this.emite('respuesta', evento);
      return;
    }
    if (evento.tipo === 'documento') {
      this.documento(evento);
      return;
    }
    if (TIPOS_HISTORIAL.has(evento.tipo)) {
      this.anota(evento, true);
      this.guarda();
    }
    // A read whose answer went to a connection that dropped ends here.
    const final = FINALES[evento.tipo];
    if (final) {
      for (const [id, pendiente] of this.pendientes) {
        if (pendiente.orden === 'leer' && pendiente.huerfana) {
          clearTimeout(pendiente.temporizador);
          this.pendientes.delete(id);
          pendiente.resolver({ tipo: 'respuesta', id, ok: true, final, [evento.tipo]: evento });
        }
      }
    }
    this.emite(evento.tipo, evento);
  }

  // Each document reaches the handlers once, and is acknowledged after them.
  // One sent again is acknowledged again if the page had acknowledged it
  // (the acknowledgement was lost), and otherwise left to the handlers
  // still at it or to the page's own recibido().
  async documento(evento) {
    const n = evento.documento;
    if (this.entregados.has(n) || this.enCurso.has(n)) {
      if (this.acusados.has(n)) this.enviaAcuse(n);
      return;
    }
    this.enCurso.add(n);
    // Its place among the events is where it arrived, not where its
    // handlers finished.
    const entrada = this.anota(evento, false);
    try {
      await Promise.all(this.emite('documento', evento));
    } catch (error) {
      // Not acknowledged: the bridge keeps it and sends it again.
      this.enCurso.delete(n);
      this.entradas = this.entradas.filter((e) => e !== entrada);
      console.error('vardel-puente: documento', n, error);
      return;
    }
    this.enCurso.delete(n);
    this.entregados.add(n);
    this.recorta(this.entregados);
    entrada.listo = true;
    if (this.acuseAutomatico) {
      this.recibido(n); // kept first, then sent
    } else {
      this.guarda();
    }
  }

  anota(evento, listo) {
    const entrada = { evento, listo };
    this.entradas.push(entrada);
    // Past the bound the oldest finished entries go; an unfinished one
    // stays until its handlers end.
    let sobran = this.entradas.length - this.maxHistorial;
    if (sobran > 0) {
      this.entradas = this.entradas.filter((e) => !(e.listo && sobran-- > 0));
    }
    return entrada;
  }

  enviaAcuse(documento) {
    if (this.abierto()) this.socket.send(JSON.stringify({ orden: 'recibido', documento }));
  }

  emite(tipo, evento) {
    const resultados = [];
    for (const clave of [tipo, '*']) {
      for (const manejador of [...(this.manejadores.get(clave) ?? [])]) {
        try {
          resultados.push(manejador(evento));
        } catch (error) {
          if (tipo !== 'documento') console.error(`vardel-puente: manejador de ${tipo}`, error);
          resultados.push(Promise.reject(error));
        }
      }
    }
    return resultados;
  }

  // --- what the tab keeps ---

  recorta(conjunto) {
    for (const n of conjunto) {
      if (conjunto.size <= this.maxHistorial) break;
      conjunto.delete(n);
    }
  }

  carga() {
    if (!this.almacen) return;
    try {
      const guardado = JSON.parse(this.almacen.getItem(this.clave) ?? 'null');
      if (!guardado || typeof guardado !== 'object') return;
      if (typeof guardado.token === 'string') this.token = guardado.token;
      for (const n of guardado.entregados ?? []) if (Number.isInteger(n)) this.entregados.add(n);
      for (const n of guardado.acusados ?? []) if (Number.isInteger(n)) this.acusados.add(n);
      for (const evento of guardado.historial ?? []) {
        if (evento && TIPOS_HISTORIAL.has(evento.tipo)) this.entradas.push({ evento, listo: true });
      }
    } catch (error) {
      console.warn('vardel-puente: sesión guardada ilegible, se descarta', error);
    }
  }

  // Written before each acknowledgement leaves, so a page reloaded at any
  // moment has kept every document the bridge no longer sends.
  guarda() {
    if (!this.almacen) return;
    const historial = this.entradas.filter((e) => e.listo).map((e) => e.evento);
    const datos = { token: this.token, entregados: [...this.entregados], acusados: [...this.acusados] };
    // A full storage keeps the numbers and the token, and as much of what
    // was shown as fits.
    for (let cabe = historial.length; ; cabe = Math.floor(cabe / 2)) {
      try {
        this.almacen.setItem(this.clave, JSON.stringify({ ...datos, historial: historial.slice(historial.length - cabe) }));
        return;
      } catch (error) {
        if (cabe === 0) {
          console.warn('vardel-puente: no se puede guardar la sesión', error);
          return;
        }
      }
    }
  }
}
