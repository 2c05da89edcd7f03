// vardel.js: a teller page's client of the Vardel web bridge (`vardel serve`),
// protocol v1 (docs/web-bridge.md). No dependencies: copy this file beside
// your page and import it as an ES module.
//
//   import { Puente } from './vardel.js';
//   const puente = new Puente({ puerto: 8765 });
//   puente.on('documento', async (evento) => { ...show it... });
//   await puente.conecta();
//   const resumen = await puente.leer();
//
// A document is acknowledged to the bridge once its handler has returned
// (or its promise resolved), so a cheque the page never handled is sent
// again after a reconnection. When the connection drops, the client
// reconnects presenting the same token; the bridge then sends again every
// document not yet acknowledged, and a document this page already handled
// is acknowledged again without reaching the handler twice.

export const PUERTO_PREDETERMINADO = 8765;

// An answer with ok:false, or a connection that could not be made.
export class ErrorPuente extends Error {
  constructor(descripcion, { numero = null, detalle = null } = {}) {
    super(detalle ? `${descripcion}: ${detalle}` : descripcion);
    this.name = 'ErrorPuente';
    this.numero = numero;
    this.descripcion = descripcion;
    this.detalle = detalle;
  }
}

export class Puente {
  // puerto: the bridge's port. reconexionMs: the wait before each attempt
  // to reconnect; intentos: attempts in a row before giving up (the bridge
  // keeps unacknowledged documents for a limited time, docs/web-bridge.md).
  // acuseAutomatico: false to call recibido() yourself.
  constructor({
    puerto = PUERTO_PREDETERMINADO,
    host = '127.0.0.1',
    reconexionMs = 1000,
    intentos = 30,
    acuseAutomatico = true,
  } = {}) {
    const anfitrion = host.includes(':') ? `[${host}]` : host;
    this.base = `http://${anfitrion}:${puerto}`;
    this.baseWs = `ws://${anfitrion}:${puerto}`;
    this.reconexionMs = reconexionMs;
    this.intentos = intentos;
    this.acuseAutomatico = acuseAutomatico;
    this.token = null;
    this.version = null;
    this.manejadores = new Map();
    this.pendientes = new Map();
    this.siguienteId = 1;
    this.entregados = new Set();
    this.socket = null;
    this.cerrado = false;
    this.fallos = 0;
  }

  // Handlers by event `tipo` (documento, atasco, mensaje, resumen, lectora,
  // lectora_perdida, ...), plus 'conexion' ({conectado, reconectando}) and
  // '*' for every event. A 'documento' handler may return a promise.
  on(tipo, manejador) {
    if (!this.manejadores.has(tipo)) this.manejadores.set(tipo, []);
    this.manejadores.get(tipo).push(manejador);
    return this;
  }

  // The health answer of GET /v1/estado. Asking it before the WebSocket is
  // where the browser asks for (or applies the policy of) local-network
  // access, once.
  async salud() {
    const respuesta = await fetch(`${this.base}/v1/estado`, { cache: 'no-store' });
    if (!respuesta.ok) throw new ErrorPuente('estado del puente', { detalle: `HTTP ${respuesta.status}` });
    return respuesta.json();
  }

  // Connects and resolves with the welcome message.
  async conecta() {
    this.cerrado = false;
    try {
      await this.salud();
    } catch (error) {
      if (error instanceof ErrorPuente) throw error;
      throw new ErrorPuente('el puente no responde', { detalle: `${this.base} (${error.message})` });
    }
    return this.abre();
  }

  // Opens the WebSocket (with the token after a disconnection) and resolves
  // on the welcome.
  abre() {
    const url = new URL('/v1/lectora', this.baseWs);
    if (this.token) url.searchParams.set('token', this.token);
    return new Promise((resolver, rechazar) => {
      const socket = new WebSocket(url);
      this.socket = socket;
      let bienvenido = false;
      socket.onmessage = (mensaje) => {
        let evento;
        try {
          evento = JSON.parse(mensaje.data);
        } catch {
          return;
        }
        if (evento.tipo === 'bienvenida') {
          // A new token means a bridge that no longer knows this page:
          // its document numbers start again.
          if (this.token && evento.token !== this.token) this.entregados.clear();
          this.token = evento.token;
          this.version = evento.version;
          bienvenido = true;
          this.fallos = 0;
          this.emite('conexion', { conectado: true, reconectando: false });
          resolver(evento);
          return;
        }
        this.recibe(evento);
      };
      socket.onclose = (cierre) => {
        if (this.socket !== socket) return;
        this.socket = null;
        if (!bienvenido) {
          rechazar(new ErrorPuente('conexión rechazada por el puente', { detalle: `código ${cierre.code}` }));
        }
        this.perdida(bienvenido);
      };
    });
  }

  // Sends a request and resolves with its answer (ok:true), or rejects with
  // an ErrorPuente (ok:false, e.g. descripcion "ocupada").
  pide(orden, campos = {}) {
    if (!this.socket || this.socket.readyState !== WebSocket.OPEN) {
      return Promise.reject(new ErrorPuente('sin conexión con el puente'));
    }
    const id = this.siguienteId++;
    return new Promise((resolver, rechazar) => {
      this.pendientes.set(id, { orden, resolver, rechazar });
      this.socket.send(JSON.stringify({ id, orden, ...campos }));
    });
  }

  // Reads the tray; resolves after the read's summary, with the answer.
  leer() {
    return this.pide('leer');
  }

  // Whether a reader is connected.
  estado() {
    return this.pide('estado');
  }

  // Presence events ('lectora') on or off.
  vigilar(activo = true) {
    return this.pide('vigilar', { activo });
  }

  // Tells the bridge the page has document n: it is not sent again.
  recibido(documento) {
    if (this.socket && this.socket.readyState === WebSocket.OPEN) {
      this.socket.send(JSON.stringify({ orden: 'recibido', documento }));
    }
  }

  // An image of a document (a URL of its `imagenes`) as a Blob, fetched
  // with this connection's token. <img src> cannot send the token: show it
  // through URL.createObjectURL(blob).
  async imagen(url) {
    const respuesta = await fetch(new URL(url, this.base), {
      headers: { Authorization: `Bearer ${this.token}` },
      cache: 'no-store',
    });
    if (!respuesta.ok) throw new ErrorPuente('imagen no disponible', { detalle: `${url}: HTTP ${respuesta.status}` });
    return respuesta.blob();
  }

  // Closes for good: no reconnection.
  cierra() {
    this.cerrado = true;
    if (this.socket) this.socket.close(1000);
  }

  recibe(evento) {
    if (evento.tipo === 'respuesta') {
      const pendiente = this.pendientes.get(evento.id);
      if (!pendiente) return;
      this.pendientes.delete(evento.id);
      if (evento.ok) {
        pendiente.resolver(evento);
      } else {
        pendiente.rechazar(
          new ErrorPuente(evento.descripcion, { numero: evento.numero, detalle: evento.detalle }),
        );
      }
      return;
    }
    if (evento.tipo === 'documento') {
      this.documento(evento);
      return;
    }
    if (evento.tipo === 'resumen') {
      // A read whose answer went to a connection that dropped ends here.
      for (const [id, pendiente] of this.pendientes) {
        if (pendiente.orden === 'leer' && pendiente.huerfana) {
          this.pendientes.delete(id);
          pendiente.resolver({ tipo: 'respuesta', id, ok: true, resumen: evento });
        }
      }
    }
    this.emite(evento.tipo, evento);
  }

  // Each document reaches the handlers once, and is acknowledged after them.
  async documento(evento) {
    const n = evento.documento;
    if (this.entregados.has(n)) {
      this.recibido(n);
      return;
    }
    this.entregados.add(n);
    try {
      await Promise.all(this.emite('documento', evento));
    } catch (error) {
      // Not acknowledged: the bridge keeps it and sends it again.
      this.entregados.delete(n);
      console.error('vardel.js: documento', n, error);
      return;
    }
    if (this.acuseAutomatico) this.recibido(n);
  }

  emite(tipo, evento) {
    const resultados = [];
    for (const clave of [tipo, '*']) {
      for (const manejador of this.manejadores.get(clave) ?? []) {
        try {
          resultados.push(manejador(evento));
        } catch (error) {
          resultados.push(Promise.reject(error));
        }
      }
    }
    return resultados;
  }

  // The connection dropped: requests in flight fail, but for a read, which
  // goes on at the bridge and ends with its summary; then reconnect.
  perdida(estabaAbierta) {
    for (const [id, pendiente] of this.pendientes) {
      if (pendiente.orden === 'leer' && !this.cerrado && (estabaAbierta || pendiente.huerfana)) {
        pendiente.huerfana = true;
      } else {
        this.pendientes.delete(id);
        pendiente.rechazar(new ErrorPuente('conexión perdida'));
      }
    }
    if (this.cerrado || !this.token) {
      this.emite('conexion', { conectado: false, reconectando: false });
      return;
    }
    this.fallos += 1;
    if (this.fallos > this.intentos) {
      this.cerrado = true;
      for (const [id, pendiente] of this.pendientes) {
        this.pendientes.delete(id);
        pendiente.rechazar(new ErrorPuente('conexión perdida'));
      }
      this.emite('conexion', { conectado: false, reconectando: false });
      return;
    }
    this.emite('conexion', { conectado: false, reconectando: true });
    setTimeout(() => {
      if (!this.cerrado) this.abre().catch(() => {});
    }, this.reconexionMs);
  }
}
